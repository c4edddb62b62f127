#include "FileErrorText.h"

#include <array>

#include "Cp1251Literal.h"

namespace quorrel {

namespace {

constexpr Cp1251Literal k0 = "Нет ошибки.";
constexpr Cp1251Literal k1 = "Неизвестная ошибка при доступе к %1.";
constexpr Cp1251Literal k2 = "%1 не найден.";
constexpr Cp1251Literal k3 = "%1 содержит неверный путь.";
constexpr Cp1251Literal k4 = "%1 не может быть открыт, так как слишком много открытых файлов.";
constexpr Cp1251Literal k5 = "Доступ к %1 запрещен.";
constexpr Cp1251Literal k6 = "С файлом %1 связан неверный дескриптор.";
constexpr Cp1251Literal k7 = "%1 не может быть удален, так как это текущий каталог.";
constexpr Cp1251Literal k8 = "%1 не может быть создан, так как каталог переполнен.";
constexpr Cp1251Literal k9 = "Неудача при позиционировании на %1";
constexpr Cp1251Literal k10 = "Аппаратная ошибка ввода/вывода при доступе к %1.";
constexpr Cp1251Literal k11 = "Ошибка разделения доступа для %1.";
constexpr Cp1251Literal k12 = "Ошибка блокировки при доступе к %1.";
constexpr Cp1251Literal k13 = "Диск переполнен в процессе обращения к %1.";
constexpr Cp1251Literal k14 = "Попытка доступа к информации, находящейся за концом файла %1.";

constexpr std::array<std::string_view, 15> kTexts = {k0, k1, k2,  k3,  k4,  k5,  k6, k7,
                                                     k8, k9, k10, k11, k12, k13, k14};

}  // namespace

std::string FileErrorText(int cause, std::string_view path) {
    if (cause < 0 || static_cast<std::size_t>(cause) >= kTexts.size()) {
        cause = 1;
    }
    const std::string_view pattern = kTexts[static_cast<std::size_t>(cause)];
    std::string text;
    const auto at = pattern.find("%1");
    if (at == std::string_view::npos) {
        return std::string(pattern);
    }
    text.reserve(pattern.size() + path.size());
    text += pattern.substr(0, at);
    text += path;
    text += pattern.substr(at + 2);
    return text;
}

}  // namespace quorrel
