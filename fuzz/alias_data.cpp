// Alias data of face pictures from settings files: what decodes is an absolute
// path and a file identity that encode back to the very same bytes. Resolving is
// left out: it searches the real file system, which the input does not describe.

#include "FuzzTarget.h"
#include "store/AliasData.h"

using namespace tockwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = Fuzz::bytes(data, size);
    const std::optional<AliasData> alias = AliasData::decode(bytes);
    if (!alias) {
        return 0;
    }
    FUZZ_CHECK(alias->path().startsWith(u'/'));
    FUZZ_CHECK(!alias->path().contains(QChar(0)));
    FUZZ_CHECK(alias->encode() == bytes);
    FUZZ_CHECK(AliasData::decode(alias->encode()) == alias);
    return 0;
}
