// Fuzz target for the control socket's protocol: the input is what one client sends, cut into pieces
// as reads deliver them, framed into command lines and run against the default mouse and receiver.
#include "ControlSocket.h"
#include "HIDUsbVirtual.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // State files of the button and battery commands go to memory, not to a disk that syncs each one.
    char tmpl[] = "/dev/shm/zf-fuzz-control.XXXXXX";
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? mkdtemp(tmpl) : nullptr;
    static const std::string state =
        dir ? std::string(dir) : (std::filesystem::temp_directory_path() / "zf-fuzz-control").string();
    setenv("ZF_HIDUSB_STATE_DIR", state.c_str(), 1);
    setenv("ZF_HIDUSB_SOCKET", "none", 1);
    unsetenv("ZF_HIDUSB_DEVICES"); // the default pair
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(state, ignored);
    });
    HidVirt_Reload();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // A hang on request is no finding: the word is spoilt wherever it could be the command.
    std::string sent(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (size_t at = 0; (at = sent.find("hang", at)) != std::string::npos; at += 4)
        if (at + 4 == sent.size() || std::isspace(static_cast<unsigned char>(sent[at + 4])))
            sent[at + 3] = 'G';
    // The first byte sets the piece size (1 to 505 bytes; a socket read gives at most 512) and how many
    // pieces go by before the client reads its answers (4 to 16).
    const size_t piece = 1 + size_t(data[0] & 0x3F) * 8;
    const size_t readEvery = 4 * (1 + size_t(data[0] >> 6));
    std::string in, out;
    bool open = true;
    for (size_t at = 0, n = 1; open && at < sent.size(); ++n) {
        if (out.size() < zf::kControlMaxAnswer) { // a client past the cap is not read from
            in.append(sent, at, piece);
            at += piece;
        }
        open = zf::runControlLines(in, out);
        // Memory stays bounded whatever the client sends or leaves unread.
        if (in.size() > zf::kControlMaxLine + piece || out.size() > zf::kControlMaxAnswer + 4096)
            __builtin_trap();
        if (n % readEvery == 0)
            out.clear();
    }
    if (open && !out.empty() && out.compare(out.size() - 1, 1, "\n") != 0)
        __builtin_trap(); // every answer ends its line
    return 0;
}
