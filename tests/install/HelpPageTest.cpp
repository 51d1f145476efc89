// The manual pages are made from --help at build time, so the formatter must
// keep every option, keep laid-out tables as they are, and never let the help
// text's own characters turn into roff requests or escapes.
#include "dist/HelpPage.h"
#include <gtest/gtest.h>
#include <string>

using helppage::Fill;
using helppage::Format;
using helppage::Page;

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(HelpPage, UsageLinesBecomeTheSynopsisAndOptionsTaggedEntries) {
    const Page page = Format("Usage: game [options] [words]\n"
                             "       game --help\n"
                             "Options:\n"
                             "  --help             show this help\n"
                             "  --levels DIR       look in DIR,\n"
                             "                     then nowhere else\n"
                             "  -x                 short one\n");
    EXPECT_EQ(page.synopsis, ".SH SYNOPSIS\n.nf\n\\fBgame\\fR [options] [words]\n"
                             "\\fBgame\\fR \\-\\-help\n.fi\n");
    EXPECT_EQ(page.body, ".SH OPTIONS\n"
                         ".TP\n\\fB\\-\\-help\\fR\nshow this help\n"
                         ".TP\n\\fB\\-\\-levels\\fR \\fIDIR\\fR\nlook in DIR,\nthen nowhere else\n"
                         ".TP\n\\fB\\-x\\fR\nshort one\n");
}

TEST(HelpPage, TextCannotBecomeRequestsOrEscapes) {
    const Page page = Format("usage: t\n\n"
                             "A path C:\\dir and a -minus.\n"
                             ".stop here\n"
                             "'quoted at the start\n");
    EXPECT_TRUE(Has(page.body, ".PP\nA path C:\\edir and a \\-minus.\n"));
    EXPECT_TRUE(Has(page.body, "\n\\&.stop here\n"));
    EXPECT_TRUE(Has(page.body, "\n\\&'quoted at the start\n"));
}

TEST(HelpPage, TaggedParagraphsTablesAndExitStatusKeepTheirShape) {
    const Page page = Format("usage: tool make A B\n"
                             "       tool show A\n"
                             "\n"
                             "make  turns a map into a level,\n"
                             "      then reads it back.\n"
                             "show  prints a level.\n"
                             "      It says why not.\n"
                             "\n"
                             "Maps: the legend:\n"
                             "  .  1   corridor      o  64  dot\n"
                             "  #  128 wall          G  65  gun\n"
                             "Blank lines are skipped.\n"
                             "\n"
                             "Exit status: 0 fine,\n"
                             "2 bad.\n");
    EXPECT_TRUE(Has(page.synopsis, "\\fBtool\\fR show A\n"));
    EXPECT_TRUE(Has(page.body, ".TP\n\\fBmake\\fR\nturns a map into a level,\nthen reads it back.\n"
                               ".TP\n\\fBshow\\fR\nprints a level.\nIt says why not.\n"));
    // The table is kept line for line between .nf and .fi, text resumes after.
    EXPECT_TRUE(Has(page.body, ".nf\n  .  1   corridor      o  64  dot\n"
                               "  #  128 wall          G  65  gun\n.fi\n.PP\n"
                               "Blank lines are skipped.\n"));
    EXPECT_TRUE(Has(page.body, ".SH \"EXIT STATUS\"\n0 fine,\n2 bad.\n"));
    // Every .nf is closed.
    size_t nf = 0, fi = 0;
    for (size_t at = 0; (at = page.body.find(".nf\n", at)) != std::string::npos; ++at)
        ++nf;
    for (size_t at = 0; (at = page.body.find(".fi\n", at)) != std::string::npos; ++at)
        ++fi;
    EXPECT_EQ(nf, fi);
}

TEST(HelpPage, LabelledSentencesStartParagraphsOnlyAfterAFinishedOne) {
    const Page page = Format("Usage: g\n\n"
                             "Keys: the arrows walk, as\n"
                             "Return: fires.\n"
                             "Answers: ok or cancel.\n");
    EXPECT_TRUE(Has(page.body, ".PP\nKeys: the arrows walk, as\nReturn: fires.\n.PP\nAnswers:"));
}

TEST(HelpPage, FillPutsThePartsAtTheirMarksAndKeepsTheRest) {
    Page page;
    page.synopsis = ".SH SYNOPSIS\nS\n";
    page.body = "B\n";
    const std::string templ = std::string(".TH G 6\n") + helppage::kSynopsisMark +
                              "\n.SH DESCRIPTION\nabout\n" + helppage::kHelpMark +
                              "\n.SH SEE ALSO\n";
    EXPECT_EQ(Fill(templ, page),
              ".TH G 6\n.SH SYNOPSIS\nS\n.SH DESCRIPTION\nabout\nB\n.SH SEE ALSO\n");
}
