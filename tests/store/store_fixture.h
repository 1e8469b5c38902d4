#pragma once
// A data set in a fresh temporary folder, with a fixed clock, for the store's tests.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "store/page_store.h"
#include "support/temp_dir.h"

namespace jb::test {

class StoreTest : public ::testing::Test {
protected:
    static constexpr double kToday = 46366;  // 2026-12-10

    TempDir dir;
    FixedClock clock{kToday + 0.6};
    PageStore store{FileSystem::Default(), clock};
    std::string dataSet = dir.File("data.jb");

    std::string Companion(const char* extension) const { return dir.File(std::string("data") + extension); }

    // Appends a new unprotected page with the given text; returns its ID.
    std::string AddPage(const std::string& text, bool readOnly = false, const std::string& password = "") {
        std::string id = store.NewPageId(dataSet);
        EXPECT_EQ(store.WritePage(dataSet, store.PageCount(dataSet), password, false, readOnly, id, text, 0, kToday - 3),
                  kStatusOk);
        return id;
    }

    // The stored body of page n (trailer byte included), read through the real file system.
    std::string Body(int n) {
        PageStore reader;
        PageInfo info;
        std::string body;
        EXPECT_EQ(reader.ReadPageBody(dataSet, n, info, body), kStatusOk);
        return body;
    }

    // Every live page's stored body by page ID.
    std::map<std::string, std::string> LivePages() {
        PageStore reader;
        std::map<std::string, std::string> pages;
        auto records = reader.ReadAllHeaders(dataSet);
        for (std::size_t i = 0; i < records.size(); ++i)
            if (!records[i].IsDeleted()) pages[records[i].Id()] = Body(static_cast<int>(i));
        return pages;
    }
};

}  // namespace jb::test
