// vr31k-program-reader DATA-FOLDER INTERFACE TTY BOOT INDEX START: started (as root,
// detached) by the link hook's ip-up for a link over the card, for the link's lifetime
// (app/LinkPrograms.h).
#include "app/LinkPrograms.h"

#include <charconv>
#include <string_view>

namespace {

bool ParseNumber(const char* text, int64_t& value) {
    const std::string_view view(text);
    return std::from_chars(view.data(), view.data() + view.size(), value).ptr == view.data() + view.size() && value > 0;
}

}  // namespace

int main(int argc, char** argv) {
    vr31k::CountedLink link;
    if (argc != 7 || argv[1][0] != '/' || !ParseNumber(argv[5], link.index) || !ParseNumber(argv[6], link.start)) {
        return 2;
    }
    link.dataFolder = argv[1];
    link.interfaceName = argv[2];
    link.tty = argv[3];
    link.boot = argv[4];
    return vr31k::RunProgramReader(std::move(link));
}
