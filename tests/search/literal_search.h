#pragma once
// The literal twin of the search: the query language and the search written out step by step,
// with linear scans of the index list, one store call per page for every date, and
// FindPageById for every page ID. Slow on purpose; the randomized tests hold the fast search
// to the same outcomes.

#include <string>

#include "search/search_engine.h"

namespace jb::search::literal {

SearchOutcome LiteralSearch(const std::string& queryText, const SearchSettings& settings, const std::string& dataSet,
                            const WordIndex& index, PageStore& store);

}  // namespace jb::search::literal
