#pragma once

#include <string_view>
#include <variant>
#include <vector>

class FilterEdit;
class ToggleSwitch;

namespace quarnel {
class IniDocument;
}

// A reference's settings section: each key bound to the Setup widget that
// shows it, with the value a file without the key gives. Loading and saving
// go through the same table, so a key cannot be read under one name and
// written under another.
struct ReferenceSettings {
    struct Switch {
        std::string_view key;
        ToggleSwitch* widget;
        bool byDefault;
    };
    struct Field {
        std::string_view key;
        FilterEdit* widget;
        std::string_view byDefault;
    };

    std::string_view section;
    // In the order they are written.
    std::vector<std::variant<Switch, Field>> keys;

    // Fields are shown as the file has them, also where they cannot be used
    // (the reference's line says why), so that saving writes them back
    // unchanged. The switches are turned off first and set last, so that
    // nothing runs on a mix of old and new values meanwhile.
    void load(const quarnel::IniDocument& file) const;
    void save(quarnel::IniDocument& file) const;
};
