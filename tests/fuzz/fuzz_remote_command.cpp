// Messages from the network on the publisher's subscribed topics: the first byte picks the
// topic and whether remote control is on, the rest is the payload.
#include <cstddef>
#include <cstdint>

#include "net/mqtt_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* const suffixes[] = {"marks/set", "control/set", "other"};
    const QByteArray suffix(suffixes[data[0] % 3]);
    const QByteArray payload(reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1));
    const tRemoteCommand c = ParseRemoteCommand(suffix, payload, (data[0] & 4) != 0);
    // A command is either refused or taken; a taken label is one clean line within its bound.
    if (c.error.isEmpty() == (c.kind == tRemoteCommand::None)) __builtin_trap();
    if (c.label.size() > kMaxRemoteLabel || c.label.contains(u'\n') || c.label.contains(u'\t')) __builtin_trap();
    return 0;
}
