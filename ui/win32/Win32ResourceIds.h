#pragma once

// Resource numbers of the Windows program, shared by its resource script and its code.
#define QUORREL_IDD_ABOUT 100
#define QUORREL_IDS_ABOUT_ENTRY 101
#define QUORREL_IDD_MAIN 102
#define QUORREL_IDI_PROGRAM 128
