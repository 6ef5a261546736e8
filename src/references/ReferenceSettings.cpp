#include "references/ReferenceSettings.h"

#include <string>

#include "settings/IniDocument.h"
#include "widgets/FilterEdit.h"
#include "widgets/ToggleSwitch.h"

void ReferenceSettings::load(const quarnel::IniDocument& file) const {
    for (const auto& key : keys) {
        if (const Switch* toggle = std::get_if<Switch>(&key)) {
            toggle->widget->setChecked(false);
        }
    }
    for (const auto& key : keys) {
        if (const Field* field = std::get_if<Field>(&key)) {
            field->widget->setTextAsIs(QString::fromStdString(
                file.read(section, field->key).value_or(std::string(field->byDefault))));
        }
    }
    for (const auto& key : keys) {
        if (const Switch* toggle = std::get_if<Switch>(&key)) {
            toggle->widget->setChecked(file.readBool(section, toggle->key, toggle->byDefault));
        }
    }
}

void ReferenceSettings::save(quarnel::IniDocument& file) const {
    for (const auto& key : keys) {
        if (const Switch* toggle = std::get_if<Switch>(&key)) {
            file.writeBool(section, toggle->key, toggle->widget->isChecked());
        } else {
            const Field& field = std::get<Field>(key);
            file.write(section, field.key, field.widget->text().toStdString());
        }
    }
}
