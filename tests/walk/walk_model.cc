#include "walk/walk_model.h"

#include "store/dataset_paths.h"

namespace jb::walk {

int Model::Find(const std::string& path, const std::string& id) const {
    const auto set = sets.find(path);
    if (set == sets.end()) return -1;
    for (std::size_t i = 0; i < set->second.pages.size(); ++i)
        if (set->second.pages[i].id == id) return static_cast<int>(i);
    return -1;
}

bool Model::IdInUse(const std::string& id) const {
    return Find(current, id) >= 0 || Find(CounterpartOf(current), id) >= 0;
}

void Model::ShowStored(int n) {
    const ModelPage& p = sets[current].pages[static_cast<std::size_t>(n)];
    screen = Screen{};
    screen.id = p.id;
    screen.number = n;
    screen.readOnly = p.readOnly;
    screen.password = p.password;
    screen.reminder = p.reminder;
    screen.locked = !p.password.empty();
    screen.text = screen.locked ? std::string() : p.text;
}

void Model::ShowNew() {
    screen = Screen{};
    screen.number = static_cast<int>(sets[current].pages.size());
}

void Model::Edit(const std::string& text) {
    if (text == screen.text) return;
    screen.history.push_back(screen.text);
    screen.text = text;
    screen.modified = true;
}

}  // namespace jb::walk
