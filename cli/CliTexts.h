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

inline constexpr Cp1251Literal kUsage = "Использование: quorrel-cli [параметры] DIFF...";
inline constexpr Cp1251Literal kSeeHelp = "Подробнее: quorrel-cli --help";

inline constexpr Cp1251Literal kHelp =
    "Использование: quorrel-cli [параметры] DIFF...\n"
    "Преобразует каждый DIFF-файл в SMP-патч.\n"
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
    "DIFF-файл или образ «-» читается со стандартного ввода; патч DIFF-файла «-»\n"
    "без параметра -o выводится на стандартный вывод.\n"
    "\n"
    "Коды завершения:\n"
    "  0  все патчи записаны\n"
    "  1  DIFF-файл или образ не прочитан или отвергнут, ошибка составления патча\n"
    "  2  ошибка в командной строке или недопустимое значение поля\n"
    "  3  патч не удалось записать\n"
    "При нескольких DIFF-файлах обрабатывается каждый, а код - наибольший из них.\n";

}  // namespace quorrel::cli
