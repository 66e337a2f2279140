#pragma once

// The version block of the executable: a marker, then NUL-terminated key and value pairs, then
// an empty key. GetVersionInfoString reads it back from the file. The marker's bytes are
// written here only; the reader builds them at run time, so no other copy sits in the binary.
#define MIRELVANE_VERSION_MARKER "\x01MVVB\x02VERSION-BLOCK\x03"

#define MIRELVANE_DEFINE_VERSION_BLOCK()                                                    \
    extern "C" __attribute__((used)) const char mirelvane_version_block[] =                 \
        MIRELVANE_VERSION_MARKER "FileDescription\0" MIRELVANE_FILE_DESCRIPTION             \
        "\0LegalCopyright\0" MIRELVANE_LEGAL_COPYRIGHT "\0FileVersion\0" MIRELVANE_FILE_VERSION \
        "\0\0"
