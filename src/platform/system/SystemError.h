#pragma once
// The cause behind a system error code in the clerk's words: one wording of
// file, device and program errors for every message of the program.
#include <QString>

namespace platform {

// "дискът е пълен", "няма права за достъп", ...; "неизвестна причина" for
// 0 and "системна грешка N" for a code without words of its own.
QString SystemErrorText(int Code);

} // namespace platform
