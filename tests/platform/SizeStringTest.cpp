#include "platform/SizeString.h"

#include <gtest/gtest.h>

TEST(SizeString, WritesTheBracedForm)
{
    EXPECT_EQ(SizeString::stringFromSize({0.25, 0.5}), QStringLiteral("{0.25, 0.5}"));
    EXPECT_EQ(SizeString::stringFromSize({128, -3}), QStringLiteral("{128, -3}"));
}

TEST(SizeString, EveryDoubleReadsBackExactly)
{
    for (const QSizeF size :
         {QSizeF(1.0 / 3.0, 0.1), QSizeF(0.30000001192092896, 2e-9), QSizeF(123456.789, -0.0625)}) {
        EXPECT_EQ(SizeString::sizeFromString(SizeString::stringFromSize(size)), size);
    }
}

TEST(SizeString, ReadsLeniently)
{
    const struct
    {
        const char *text;
        QSizeF size;
    } cases[] = {
        {"{0.25, 0.5}", {0.25, 0.5}},
        {"{1,2}", {1, 2}},
        {"  {  -3.5 ,  +4 }", {-3.5, 4}},
        {"1 2", {1, 2}},
        {"{.5, 1e1}", {0.5, 10}},
        {"{7}", {7, 0}},
        {"garbage", {0, 0}},
        {"", {0, 0}},
        {"{a-b, --}", {0, 0}},
        {"{1e999, 2}", {0, 2}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(SizeString::sizeFromString(QString::fromUtf8(c.text)), c.size) << c.text;
    }
}
