// CSV reading of the catalogue sources: quoting, line ends, broken records.
#include "Csv.h"

#include <gtest/gtest.h>

#include <stdexcept>

using zevo::tools::parseCsv;

TEST(CatalogueCsv, QuotedFieldsLineEndsAndByteOrderMark) {
    auto t = parseCsv("\xEF\xBB\xBF" "id,value\r\n"
                      "BO,\"Bô-li-vi-a, Quốc gia Đa Dân tộc\"\r\n"
                      "Q,\"nói \"\"xin chào\"\"\"\n"
                      "E,\n"
                      "\n");
    EXPECT_EQ(t.header.at(0), "id");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0][1], "Bô-li-vi-a, Quốc gia Đa Dân tộc");
    EXPECT_EQ(t.rows[1][1], "nói \"xin chào\"");
    EXPECT_EQ(t.rows[2][1], "");
    EXPECT_EQ(t.column("value"), 1u);
    EXPECT_THROW(t.column("missing"), std::runtime_error);
}

TEST(CatalogueCsv, BrokenRecordsAreRefused) {
    EXPECT_THROW(parseCsv("a,b\n1,2,3\n"), std::runtime_error);
    EXPECT_THROW(parseCsv("a,b\n1\n"), std::runtime_error);
    EXPECT_THROW(parseCsv("a,b\n\"1,2\n"), std::runtime_error);
    EXPECT_THROW(parseCsv(""), std::runtime_error);
}
