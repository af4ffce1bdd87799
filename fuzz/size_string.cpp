// Size strings from settings files: any text reads as a size of finite numbers,
// and a size written out reads back exactly.

#include "FuzzTarget.h"
#include "store/SizeString.h"

#include <cmath>
#include <cstring>
#include <string>

using namespace tockwise;

namespace {

void check(QStringView text)
{
    const QSizeF size = SizeString::sizeFromString(text);
    FUZZ_CHECK(std::isfinite(size.width()) && std::isfinite(size.height()));
    const QString written = SizeString::stringFromSize(size);
    const QSizeF back = SizeString::sizeFromString(written);
    FUZZ_CHECK(back.width() == size.width() && back.height() == size.height());
    FUZZ_CHECK(SizeString::stringFromSize(back) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    // Settings strings arrive as UTF-8; the input read as UTF-16 as well reaches
    // characters and lone surrogates that UTF-8 bytes seldom make.
    check(QString::fromUtf8(bytes));
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
    check(units);
    return 0;
}
