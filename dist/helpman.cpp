// Build step: writes a manual page from its template and the text a program
// printed for --help.   helpman TEMPLATE HELP-TEXT PAGE
#include "HelpPage.h"
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool ReadAll(const char* path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: helpman TEMPLATE HELP-TEXT PAGE\n");
        return 2;
    }
    std::string templ, help;
    if (!ReadAll(argv[1], &templ) || !ReadAll(argv[2], &help)) {
        std::fprintf(stderr, "helpman: cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    const helppage::Page page = helppage::Format(help);
    // An empty help text or a template without its marks would give a page
    // that silently lacks the options.
    if (page.synopsis.empty() || page.body.empty() ||
        templ.find(helppage::kSynopsisMark) == std::string::npos ||
        templ.find(helppage::kHelpMark) == std::string::npos) {
        std::fprintf(stderr, "helpman: %s has no usage line, or %s lacks its marks\n", argv[2],
                     argv[1]);
        return 1;
    }
    std::ofstream out(argv[3], std::ios::binary);
    out << helppage::Fill(templ, page);
    return out.good() ? 0 : 1;
}
