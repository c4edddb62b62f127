#!/usr/bin/env bash
# Writes an openbox configuration for the screenshots: the stock one with only icon, caption and
# close button in the title bar. Openbox keeps its minimize and maximize buttons whatever a
# window asks for, where other window managers follow the window's hints, as Windows does.
# Usage: openbox-config.sh OUTPUT.xml
set -euo pipefail
sed 's|<titleLayout>[A-Z]*</titleLayout>|<titleLayout>NLC</titleLayout>|' /etc/xdg/openbox/rc.xml >"$1"
grep -q '<titleLayout>NLC</titleLayout>' "$1"
