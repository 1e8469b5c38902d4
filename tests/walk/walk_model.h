#pragma once
// What the user expects to be stored and to see: the pages of every data set the walk used and
// of their deleted pages (text, ID and attributes) and the page on screen, as a user who watched
// every command and every answer would expect them.

#include <map>
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

struct DataSetModel {
    std::vector<ModelPage> pages;
    bool exists = false;  // whether its data file exists
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
    // The texts the editor held since the page was shown, for Undo, and the text it held when it
    // was last without changes.
    std::vector<std::string> history;
    std::string unchangedText;
};

struct Query {
    bool open = false;
    std::string text;              // its stored text, whose terms are highlighted
    std::vector<std::string> ids;  // the pages left in it
    int pos = 0;                   // 1-based, as QueryPos
};

struct Model {
    std::map<std::string, DataSetModel> sets;  // by the path of the data file
    std::string current;                       // the data set on screen
    Screen screen;
    Query query;

    std::vector<ModelPage>& Current() { return sets[current].pages; }
    // The number of the page with this ID in data set `path`, or -1.
    int Find(const std::string& path, const std::string& id) const;
    // Whether a page of the current data set or of its counterpart has the ID.
    bool IdInUse(const std::string& id) const;
    // The screen shows page n of the current set as stored.
    void ShowStored(int n);
    // The screen shows a new page numbered after the last.
    void ShowNew();
    // The editor's text changes by the user's hand (one key, or one paste: Undo may take back any
    // of them).
    void Edit(const std::string& text);
};

}  // namespace jb::walk
