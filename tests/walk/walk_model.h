#pragma once
// What the user expects to be stored and to see: the pages of the data set and of its deleted
// pages (text, ID and attributes) and the page on screen, as a user who watched every command
// and every answer would expect them.

#include <string>
#include <vector>

namespace jb::walk {

struct ModelPage {
    std::string id;
    std::string text;  // plain text, paragraphs separated by '\n'
    bool readOnly = false;
    std::string password;
    double reminder = 0;
};

// The page on screen.
struct Screen {
    std::string id;  // empty: a page not yet written
    int number = 0;  // what the page number box shows
    std::string text;
    bool readOnly = false;
    std::string password;
    double reminder = 0;
    bool modified = false;  // unsaved changes
    bool locked = false;    // behind the password panel
    // The user declined to save and stayed on the page: the editor shows what was typed, the
    // data set holds what was stored before.
    bool differsFromStored = false;
};

struct Query {
    bool open = false;
    std::string word;
    std::vector<std::string> ids;  // the pages left in it
    int pos = 0;                   // 1-based, as QueryPos
};

struct Model {
    std::vector<ModelPage> sets[2];  // 0: the data set, 1: its deleted pages
    bool exists[2] = {false, false};  // whether the data file exists
    int current = 0;                  // the set on screen
    Screen screen;
    Query query;

    std::vector<ModelPage>& Current() { return sets[current]; }
    // The number of the page with this ID in set `set`, or -1.
    int Find(int set, const std::string& id) const;
    // Whether any page of either set has the ID.
    bool IdInUse(const std::string& id) const;
    // The screen shows page n of the current set as stored.
    void ShowStored(int n);
    // The screen shows a new page numbered after the last.
    void ShowNew();
};

}  // namespace jb::walk
