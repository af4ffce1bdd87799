// Messages on the instance socket come from any local process: a request that
// parses is exactly one framed message whose arguments frame back to the same
// request, and nothing else parses.

#include "FuzzTarget.h"
#include "instance/InstanceMessage.h"

using namespace tockwise;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray message = Fuzz::bytes(data, size);
    const std::optional<qsizetype> announced = announcedInstanceMessageSize(message);
    FUZZ_CHECK(announced.has_value() == (message.size() >= 4));

    if (const std::optional<QStringList> arguments = parseInstanceMessage(message)) {
        FUZZ_CHECK(*announced == message.size());
        FUZZ_CHECK(message.size() <= maximumInstanceMessageSize);
        // Re-framing may only fail where it grew past the maximum (as text that was
        // not UTF-8 does, becoming replacement characters).
        const QByteArray framed = encodeInstanceRequest(*arguments);
        if (!framed.isEmpty()) {
            FUZZ_CHECK(parseInstanceMessage(framed) == arguments);
            FUZZ_CHECK(encodeInstanceRequest(*parseInstanceMessage(framed)) == framed);
        }
    }

    if (const std::optional<InstanceReply> reply = parseInstanceReply(message)) {
        FUZZ_CHECK(*announced == message.size());
        const QByteArray framed = encodeInstanceReply(*reply);
        if (!framed.isEmpty()) {
            FUZZ_CHECK(parseInstanceReply(framed) == reply);
        }
    }
    return 0;
}
