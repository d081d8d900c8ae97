#include "ViewCommand.h"

#include "App/ViewWiring.h"
#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/ExtensionStore.h"
#include "Extensions/Views/ClaudeCodeSettings.h"
#include "Platform/UserDefaults.h"

#include <QLabel>
#include <QPushButton>

#include <nlohmann/json.hpp>

#include <iostream>
#include <string>

namespace {

// The texts a user reads, top to bottom: the status line, the explanation, the button, then the
// error when one is shown.
nlohmann::json texts(const vesk::ClaudeCodeSettings &view)
{
    nlohmann::json out = nlohmann::json::array();
    for (const QWidget *widget : {static_cast<const QWidget *>(view.status()), static_cast<const QWidget *>(view.explanation()),
                                  static_cast<const QWidget *>(view.button()), static_cast<const QWidget *>(view.errorLine())}) {
        if (widget->isHidden())
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            out.push_back(label->text().toStdString());
        else if (const auto *button = qobject_cast<const QPushButton *>(widget))
            out.push_back(button->text().toStdString());
    }
    return out;
}

}  // namespace

int viewCommand(const std::function<int(const std::string &)> &usage)
{
    vesk::UserDefaults::setStandard(std::make_unique<vesk::UserDefaults>());
    vesk::installStandardViews();
    auto &store = vesk::ExtensionStore::shared();
    const std::string id = vesk::ClaudeCodeExtension::typeInfo().id;
    store.setEnabled(id, true);
    std::unique_ptr<QWidget> made = store.instance(id)->makeSettingsView();
    auto *view = dynamic_cast<vesk::ClaudeCodeSettings *>(made.get());
    if (!view)
        return usage("the extension made no settings view");
    // 480 points wide, as tall as the view asks for that width (again after every change).
    auto fit = [view] { view->resize(480, view->heightForWidth(480)); };
    fit();
    view->show();

    std::string line;
    int status = 0;
    while (std::getline(std::cin, line)) {
        if (line.empty())
            continue;
        if (line == "quit")
            break;
        if (line == "press") {
            view->button()->click();
            fit();
        } else if (line == "texts") {
            std::cout << texts(*view).dump() << std::endl;
        } else if (line.rfind("png ", 0) == 0 && line.size() > 4) {
            fit();
            if (!view->grab().save(QString::fromStdString(line.substr(4)), "PNG")) {
                status = usage("cannot write " + line.substr(4));
                break;
            }
        } else {
            status = usage("unknown command: " + line);
            break;
        }
    }
    made.reset();
    store.stopAll();
    return status;
}
