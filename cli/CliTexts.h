#pragma once

#include "Cp1251Literal.h"

// The command-line front end's own texts; the shared ones are in Messages.h.
namespace quorrel::cli {

inline constexpr const char* kProgramName = "quorrel-cli";
// Stand-ins for the standard streams where a message names a file.
inline constexpr const char* kStdinName = "<stdin>";
inline constexpr const char* kStdoutName = "<stdout>";

inline constexpr Cp1251Literal kUnknownOption = "неизвестный параметр";
inline constexpr Cp1251Literal kMissingValue = "не указано значение параметра";
inline constexpr Cp1251Literal kUnexpectedValue = "параметр не принимает значения";
inline constexpr Cp1251Literal kNoDiff = "не указан DIFF-файл";
inline constexpr Cp1251Literal kOutputNeedsOneDiff = "допустим только с одним DIFF-файлом";
inline constexpr Cp1251Literal kStdinTwice =
    "стандартный ввод («-») можно прочитать только один раз";
inline constexpr Cp1251Literal kEmptyPath = "пустой путь";
inline constexpr Cp1251Literal kInvalidUtf8 = "недопустимая последовательность UTF-8";
// %s stands for the character, written as U+XXXX.
inline constexpr Cp1251Literal kUnmappable = "символа %s нет в кодировке Windows-1251";
inline constexpr Cp1251Literal kBadId =
    "нужны восемь шестнадцатеричных цифр, ни одна пара которых не равна FF";
inline constexpr Cp1251Literal kOutputIsInput =
    "файл не перезаписан: это входной файл или патч другого DIFF-файла";

inline constexpr Cp1251Literal kOneMode =
    "допустим только один из параметров --check, --apply, --revert, --make-diff и --compare";
inline constexpr Cp1251Literal kNotInPatchMode = "параметр не используется в этом режиме";
inline constexpr Cp1251Literal kPatchModeNeedsImage = "укажите образ прошивки: -i BIN";
inline constexpr Cp1251Literal kPatchModeNeedsOutput = "укажите выходной файл: -o ФАЙЛ";
inline constexpr Cp1251Literal kOutputIsPatch = "файл не перезаписан: это файл патча";

inline constexpr Cp1251Literal kExtraOperand = "лишний аргумент";
inline constexpr Cp1251Literal kCompareNeedsFirmware = "укажите прошивку: -f ТЕКСТ";
inline constexpr Cp1251Literal kFirmwareTooLong =
    "имя прошивки в DIFF-файле занимает не больше 16 байт";
// The new image's size, then the old one's (-i).
inline constexpr Cp1251Literal kImageSizesDiffer =
    "образы разного размера: %s байт, а образ -i - %s байт";
inline constexpr Cp1251Literal kNothingToCompare = "образы совпадают: сравнивать нечего";

// The verdicts of the patch modes, said of the patch file.
inline constexpr Cp1251Literal kPatchFits = "патч подходит к образу: все изменения применимы";
inline constexpr Cp1251Literal kPatchApplied = "патч уже применён к образу";
inline constexpr Cp1251Literal kPatchReverted = "патч уже отменён в образе";
inline constexpr Cp1251Literal kPatchDoesNotFit = "патч не подходит к образу:";
inline constexpr Cp1251Literal kPatchCannotRevert = "патч нельзя отменить в образе:";
// The same, where a patch made earlier in the run changed a byte the patch needs: %s stands for
// that patch, then for the offset; the list of changes that do not fit follows.
inline constexpr Cp1251Literal kPatchClashes =
    "патч не подходит к образу после патча %s, изменившего байт по смещению 0x%s:";
inline constexpr Cp1251Literal kRevertClashes =
    "патч нельзя отменить в образе после отмены патча %s, изменившей байт по смещению 0x%s:";
// One line per change that does not fit: its line, offset and what is wrong.
inline constexpr Cp1251Literal kMisfitLine = "  строка %s, смещение 0x%s: ";
inline constexpr Cp1251Literal kMisfitDiffers = "ожидаются байты %s, в образе %s";
inline constexpr Cp1251Literal kMisfitOutside = "изменение выходит за конец образа";
inline constexpr Cp1251Literal kMisfitNoFrom = "нет старых байтов (from)";
inline constexpr Cp1251Literal kMoreMisfits = "  и ещё неподходящих изменений: %s";
inline constexpr Cp1251Literal kOverlaps =
    "изменения патча перекрываются; они вносятся в порядке следования";
inline constexpr Cp1251Literal kNoFromChecked =
    "у некоторых изменений нет старых байтов (from): они проверены только на попадание в образ";

inline constexpr Cp1251Literal kUsage = "Использование: quorrel-cli [параметры] DIFF...";
inline constexpr Cp1251Literal kSeeHelp = "Подробнее: quorrel-cli --help";

inline constexpr Cp1251Literal kHelp =
    "Использование: quorrel-cli [параметры] DIFF...\n"
    "               quorrel-cli --check SMP... -i BIN\n"
    "               quorrel-cli --apply SMP... -i BIN -o ФАЙЛ\n"
    "               quorrel-cli --revert SMP... -i BIN -o ФАЙЛ\n"
    "               quorrel-cli --make-diff НОВЫЙ -i BIN -f ТЕКСТ [-o ФАЙЛ]\n"
    "               quorrel-cli --compare НОВЫЙ -i BIN -f ТЕКСТ [-o ФАЙЛ]\n"
    "Преобразует каждый DIFF-файл в SMP-патч, проверяет, применяет либо отменяет\n"
    "SMP-патч на образе прошивки, или сравнивает два образа.\n"
    "\n"
    "Параметры:\n"
    "  -i, --image BIN          образ прошивки, из которого берутся старые байты\n"
    "  -o, --output ФАЙЛ        файл патча (по умолчанию DIFF-файл с расширением .smp;\n"
    "                           «-» - стандартный вывод); только с одним DIFF-файлом\n"
    "  -t, --title ТЕКСТ        название патча\n"
    "  -g, --group ТЕКСТ        группа\n"
    "  -r, --revision ЧИСЛО     версия патча (по умолчанию 1)\n"
    "  -d, --description ТЕКСТ  описание\n"
    "  -f, --firmware ТЕКСТ     прошивка (по умолчанию из заголовка DIFF-файла)\n"
    "      --id HEX8            постоянный идентификатор патча из восьми\n"
    "                           шестнадцатеричных цифр\n"
    "      --settings ФАЙЛ      файл настроек (по умолчанию Quorrel.ini рядом с программой)\n"
    "  -q, --quiet              не выводить предупреждения\n"
    "  -h, --help               показать эту справку\n"
    "      --version            показать версию\n"
    "\n"
    "Режимы патча (вместо DIFF-файлов; -i обязателен):\n"
    "      --check SMP          подходит ли патч к образу: старые байты (from) на месте\n"
    "      --apply SMP          записать в -o образ с новыми байтами (to) всех изменений\n"
    "      --revert SMP         записать в -o образ со старыми байтами; нужны from\n"
    "                           у всех изменений и новые байты в образе\n"
    "-o может совпадать с образом (замена целиком или никак); «-» - стандартный вывод.\n"
    "Несколько патчей применяются по порядку, каждый к образу после предыдущих, и\n"
    "отменяются в обратном порядке; --check выносит вердикт каждому.\n"
    "\n"
    "Сравнение образов (вместо DIFF-файлов; -i - старый образ, -f обязателен):\n"
    "      --make-diff НОВЫЙ    записать DIFF-файл, превращающий образ -i в НОВЫЙ\n"
    "                           (по умолчанию НОВЫЙ с расширением .dif)\n"
    "      --compare НОВЫЙ      записать SMP-патч со старыми байтами у всех изменений\n"
    "                           (по умолчанию НОВЫЙ с расширением .smp); поля патча\n"
    "                           (-t, -g, -r, -d, --id) - как при преобразовании\n"
    "Изменённые байты, между которыми меньше 16 неизменных, идут одним блоком.\n"
    "\n"
    "DIFF-файл или образ «-» читается со стандартного ввода; патч DIFF-файла «-»\n"
    "без параметра -o выводится на стандартный вывод.\n"
    "\n"
    "Коды завершения:\n"
    "  0  все патчи записаны\n"
    "  1  DIFF-файл или образ не прочитан или отвергнут, ошибка составления патча\n"
    "  2  ошибка в командной строке или недопустимое значение поля\n"
    "  3  патч не удалось записать\n"
    "При нескольких DIFF-файлах обрабатывается каждый, а код - наибольший из них.\n"
    "В режимах патча: 0 - все патчи подходят (и образ записан), 1 - патч не\n"
    "прочитан, не подходит или уже применён (уже отменён), 2 - ошибка в командной\n"
    "строке, 3 - образ не удалось записать.\n"
    "При сравнении: 0 - файл записан, 1 - образ не прочитан, размеры образов\n"
    "различаются или образы совпадают, 2 - ошибка в командной строке, 3 - файл не\n"
    "удалось записать.\n";

}  // namespace quorrel::cli
