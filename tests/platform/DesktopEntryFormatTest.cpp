#include "platform/DesktopEntryFormat.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>

using namespace Qt::Literals::StringLiterals;

inline void PrintTo(const QString &text, std::ostream *stream)
{
    *stream << '"' << text.toStdString() << '"';
}

namespace {

struct ExecCase
{
    const char *name;
    QString program;
    QString execValue;
};

// Worked by hand from the Desktop Entry Specification: quoting first, then the
// string escapes of the file format, which double every backslash again.
const ExecCase execCases[] = {
    {"Plain", u"/usr/bin/tockwise"_s, u"/usr/bin/tockwise"_s},
    {"Space", u"/opt/My Apps/tockwise"_s, u"\"/opt/My Apps/tockwise\""_s},
    {"DoubleQuote", u"/opt/a\"b"_s, u"\"/opt/a\\\\\"b\""_s},
    {"Backslash", u"/opt/a\\b"_s, u"\"/opt/a\\\\\\\\b\""_s},
    {"Dollar", u"/opt/$HOME/t"_s, u"\"/opt/\\\\$HOME/t\""_s},
    {"Percent", u"/opt/100%/t"_s, u"/opt/100%%/t"_s},
    {"PercentQuoted", u"/opt/50% off/t"_s, u"\"/opt/50%% off/t\""_s},
    {"Backtick", u"/opt/`x`"_s, u"\"/opt/\\\\`x\\\\`\""_s},
    {"Newline", u"/opt/a\nb"_s, u"\"/opt/a\\nb\""_s},
    {"SingleQuote", u"/opt/it's"_s, u"\"/opt/it's\""_s},
};

void PrintTo(const ExecCase &row, std::ostream *stream)
{
    *stream << row.name;
}

class ExecValueTest : public ::testing::TestWithParam<ExecCase>
{};

TEST_P(ExecValueTest, QuotesAsWorkedAndReadsBack)
{
    const ExecCase &row = GetParam();
    EXPECT_EQ(DesktopEntryFormat::execValue(row.program), row.execValue);
    EXPECT_EQ(DesktopEntryFormat::programOfExecValue(row.execValue), row.program);
}

INSTANTIATE_TEST_SUITE_P(Paths, ExecValueTest, ::testing::ValuesIn(execCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExecValue, ReadsTheProgramOfLinesOthersWrote)
{
    using DesktopEntryFormat::programOfExecValue;
    EXPECT_EQ(programOfExecValue(u"tockwise --new-clock %U"_s), u"tockwise"_s);
    EXPECT_EQ(programOfExecValue(u"  \"/a b/t\" %f"_s), u"/a b/t"_s);
    EXPECT_EQ(programOfExecValue(u"\\s/usr/bin/t"_s), u"/usr/bin/t"_s);
    EXPECT_EQ(programOfExecValue(u"\"/a\\$b\""_s), u"/a$b"_s);
    EXPECT_FALSE(programOfExecValue(u"\"/opt/unterminated"_s));
    EXPECT_FALSE(programOfExecValue(u"   "_s));
    EXPECT_FALSE(programOfExecValue(u"\"\" --flag"_s));
    EXPECT_FALSE(DesktopEntryFormat::execValue(u"/opt/bell\a"_s));
}

} // namespace
