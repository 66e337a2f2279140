// The reader of mirelvane-record's standard input: any bytes, in pieces of any size.
#include <cstddef>
#include <cstdint>

#include "record/command_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tCommandReader reader;
    // The first byte chooses the size of the pieces, as a pipe may deliver them.
    const size_t piece = size > 0 ? size_t(data[0]) + 1 : 1;
    const char* bytes = reinterpret_cast<const char*>(data);
    for (size_t at = size > 0 ? 1 : 0; at < size; at += piece) {
        const size_t n = at + piece <= size ? piece : size - at;
        for (const tRecordCommand& c : reader.Feed(bytes + at, qint64(n)))
            if (c.kind == tRecordCommand::Invalid && c.text.isEmpty()) __builtin_trap();
    }
    reader.Finish();
    return 0;
}
