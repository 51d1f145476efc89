// Turns a program's --help text into the body of its manual page, so the page
// is made from the program's own output at build time and cannot drift from
// it. The help text is plain and laid out for a terminal; the shapes it uses
// are recognised and everything else is kept as filled text:
//   "Usage: prog ..." (and lines under it naming prog)  the SYNOPSIS
//   a line of its own ending in ':'                    a section heading
//   "  --option ARG   what it does"                   a tagged option
//   "word  what it does" with the rest indented below  a tagged paragraph
//   other indented lines                               kept as they are laid out
//   "Exit status: ..."                                 the EXIT STATUS section
#pragma once

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace helppage {

// roff reads a backslash as an escape, a leading dot or quote as a request,
// and a plain '-' as a hyphen that may not copy back as the minus an option
// needs.
inline std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

inline size_t Indent(const std::string& line) {
    size_t n = 0;
    while (n < line.size() && line[n] == ' ')
        ++n;
    return n;
}

inline std::string Trim(const std::string& s) {
    const size_t a = Indent(s);
    size_t b = s.size();
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1])))
        --b;
    return s.substr(a, b - a);
}

inline std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Where two or more spaces part a tag from its text: the text's column, or
// npos when there is no such gap after the tag.
inline size_t TextColumn(const std::string& line, size_t from) {
    const size_t gap = line.find("  ", from);
    if (gap == std::string::npos)
        return std::string::npos;
    size_t col = gap;
    while (col < line.size() && line[col] == ' ')
        ++col;
    return col < line.size() ? col : std::string::npos;
}

// "  --levels DIR   look for..." : the option with its argument, in bold and
// italics, as the tag.
inline std::string OptionTag(const std::string& tag) {
    std::istringstream words(tag);
    std::string word, out;
    bool first = true;
    while (words >> word) {
        if (!first)
            out += ' ';
        out += (first || word[0] == '-' ? "\\fB" : "\\fI") + Escape(word) + "\\fR";
        first = false;
    }
    return out;
}

struct Page {
    std::string synopsis; // roff lines, empty when the text has no usage line
    std::string body;
};

inline bool IsOptionLine(const std::string& line, size_t* textCol) {
    const size_t in = Indent(line);
    if (in == 0 || in > 8 || in + 1 >= line.size() || line[in] != '-')
        return false;
    *textCol = TextColumn(line, in);
    return *textCol != std::string::npos;
}

inline Page Format(const std::string& help) {
    std::vector<std::string> lines;
    {
        std::istringstream in(help);
        std::string line;
        while (std::getline(in, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            for (char& c : line)
                if (c == '\t')
                    c = ' ';
            lines.push_back(line);
        }
    }
    Page page;
    size_t i = 0;
    while (i < lines.size() && lines[i].empty())
        ++i;
    // The usage lines: "Usage: prog ...", then lines that name prog again.
    if (i < lines.size()) {
        const std::string first = lines[i];
        const std::string lower = first.substr(0, 6);
        if (lower == "Usage:" || lower == "usage:") {
            const std::string rest = Trim(first.substr(6));
            const std::string prog = rest.substr(0, rest.find(' '));
            std::vector<std::string> forms{rest};
            ++i;
            while (i < lines.size() && Indent(lines[i]) > 0 &&
                   Trim(lines[i]).compare(0, prog.size() + 1, prog + " ") == 0)
                forms.push_back(Trim(lines[i++]));
            std::string syn = ".SH SYNOPSIS\n.nf\n";
            for (const std::string& f : forms)
                syn += "\\fB" + Escape(prog) + "\\fR" + Escape(f.substr(prog.size())) + "\n";
            syn += ".fi\n";
            page.synopsis = syn;
        }
    }
    std::string& out = page.body;
    enum { kNone, kText, kKept, kTagged } mode = kNone;
    size_t hangCol = 0; // the column continuation lines of a tagged item start at
    auto leaveKept = [&] {
        if (mode == kKept)
            out += ".fi\n";
    };
    for (; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t in = Indent(line);
        size_t col = 0;
        if (line.empty()) {
            leaveKept();
            mode = kNone;
            continue;
        }
        if (in == 0 && line.back() == ':' && line.find(' ') == std::string::npos) {
            leaveKept();
            out += ".SH " + Escape(Upper(line.substr(0, line.size() - 1))) + "\n";
            mode = kNone;
            continue;
        }
        if (mode == kNone && in == 0 && line.compare(0, 12, "Exit status:") == 0) {
            out += ".SH \"EXIT STATUS\"\n" + Escape(Trim(line.substr(12))) + "\n";
            mode = kText;
            continue;
        }
        if (IsOptionLine(line, &col)) {
            leaveKept();
            out += ".TP\n" + OptionTag(line.substr(in, col - in)) + "\n" +
                   Escape(line.substr(col)) + "\n";
            mode = kTagged;
            hangCol = col;
            continue;
        }
        if (mode == kTagged && in > 0 && in >= hangCol - (hangCol > 2 ? 2 : 0)) {
            out += Escape(Trim(line)) + "\n";
            continue;
        }
        if (in == 0 && (mode == kNone || mode == kTagged)) {
            // "word  text" whose next line hangs under the text.
            col = TextColumn(line, 0);
            const std::string tag = col == std::string::npos ? "" : Trim(line.substr(0, col));
            if (!tag.empty() && tag.find(' ') == std::string::npos && i + 1 < lines.size() &&
                Indent(lines[i + 1]) == col) {
                out += ".TP\n\\fB" + Escape(tag) + "\\fR\n" + Escape(line.substr(col)) + "\n";
                mode = kTagged;
                hangCol = col;
                continue;
            }
        }
        if (in > 0) {
            if (mode != kKept) {
                out += mode == kText ? ".IP\n.nf\n" : ".PP\n.nf\n";
                mode = kKept;
            }
            out += Escape(line) + "\n";
            continue;
        }
        // Plain text: a new paragraph after a blank line or a kept block, and
        // where a labelled sentence ("Answers: ...") follows a finished one.
        if (mode == kKept) {
            out += ".fi\n.PP\n";
        } else if (mode != kText) {
            out += ".PP\n";
        } else {
            const size_t colon = line.find(": ");
            const std::string& prev = lines[i - 1];
            if (colon != std::string::npos && colon < 24 &&
                std::isupper(static_cast<unsigned char>(line[0])) && !prev.empty() &&
                prev.back() == '.')
                out += ".PP\n";
        }
        mode = kText;
        out += Escape(line) + "\n";
    }
    leaveKept();
    return page;
}

// Fills the page's template, where the roff comments kSynopsisMark and
// kHelpMark stand alone on their lines (the template stays a valid page).
const char kSynopsisMark[] = ".\\\" synopsis from --help";
const char kHelpMark[] = ".\\\" text of --help";

inline std::string Fill(const std::string& templ, const Page& page) {
    std::string out;
    std::istringstream in(templ);
    std::string line;
    while (std::getline(in, line)) {
        if (line == kSynopsisMark)
            out += page.synopsis;
        else if (line == kHelpMark)
            out += page.body;
        else
            out += line + "\n";
    }
    return out;
}

} // namespace helppage
