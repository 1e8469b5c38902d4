#pragma once
// The search-term index of a data set (word=ID lines). Filled in with the index work.
