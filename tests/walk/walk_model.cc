#include "walk/walk_model.h"

namespace jb::walk {

int Model::Find(int set, const std::string& id) const {
    for (std::size_t i = 0; i < sets[set].size(); ++i)
        if (sets[set][i].id == id) return static_cast<int>(i);
    return -1;
}

bool Model::IdInUse(const std::string& id) const { return Find(0, id) >= 0 || Find(1, id) >= 0; }

void Model::ShowStored(int n) {
    const ModelPage& p = sets[current][static_cast<std::size_t>(n)];
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
    screen.number = static_cast<int>(sets[current].size());
}

}  // namespace jb::walk
