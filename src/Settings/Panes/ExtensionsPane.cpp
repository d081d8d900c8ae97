#include "Settings/Panes/ExtensionsPane.h"

#include "Extensions/ExtensionStore.h"
#include "Extensions/Views/ExtensionIcon.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneStyle.h"
#include "Settings/PaneKit/SwitchButton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vesk {

namespace {

// The switch's label: the icon, the name and the summary; a click on it is a click on the switch.
class ExtensionLabel : public QWidget {
public:
    ExtensionLabel(const ExtensionInfo &info, QCheckBox *box, QWidget *parent) : QWidget(parent), box_(box)
    {
        auto *line = new QHBoxLayout(this);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(10);
        auto *icon = new QLabel(this);
        const double dpr = devicePixelRatioF();
        QPixmap picture = QPixmap::fromImage(ExtensionIcon::image(info, 30, dpr));
        picture.setDevicePixelRatio(dpr);
        icon->setPixmap(picture);
        icon->setFixedSize(30, 30);
        line->addWidget(icon, 0, Qt::AlignVCenter);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto *name = new QLabel(QString::fromStdString(info.name), this);
        auto *summary = new QLabel(QString::fromStdString(info.summary), this);
        summary->setWordWrap(true);
        summary->setFont(pane_style::font(pane_style::TextStyle::caption));
        QPalette p = summary->palette();
        p.setColor(QPalette::WindowText, pane_style::secondary());
        summary->setPalette(p);
        texts->addWidget(name);
        texts->addWidget(summary);
        line->addLayout(texts, 1);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            box_->click();  // a disabled switch ignores it
    }

private:
    QCheckBox *box_;
};

}  // namespace

ExtensionsPane::ExtensionsPane(ExtensionStore &store, QWidget *parent)
    : PaneScaffold(std::nullopt, {}, parent), store_(store)
{
    PaneForm &f = form();
    for (const ExtensionInfo &info : store_.infos()) {
        f.section(QString::fromStdString(info.category));
        auto *holder = new QWidget(&f);
        auto *column = new QVBoxLayout(holder);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(8);
        auto *line = new QHBoxLayout;
        line->setSpacing(8);
        auto *box = new SwitchButton(holder);
        box->setAccessibleName(QString::fromStdString(info.name));
        line->addWidget(new ExtensionLabel(info, box, holder), 1);
        line->addWidget(box, 0, Qt::AlignRight | Qt::AlignVCenter);
        column->addLayout(line);

        // The running instance's options, made when it starts and dropped when it stops.
        struct Options {
            std::shared_ptr<IslandExtension> owner;
            QWidget *view = nullptr;
        };
        auto options = std::make_shared<Options>();
        auto row = std::make_unique<PaneForm::Row>();
        row->kind = PaneForm::Kind::extension;
        const QString name = QString::fromStdString(info.name);
        row->label = [name] { return name; };
        row->checkBox = box;
        row->control = box;
        row->nested = [options] { return dynamic_cast<PaneForm *>(options->view); };
        row->refresh = [this, id = info.id, box, column, options] {
            const auto instance = store_.instance(id);
            {
                const QSignalBlocker quiet(box);  // showing the state is no request to change it
                box->setChecked(bool(instance));
            }
            if (instance == options->owner)
                return;
            delete options->view;
            options->view = nullptr;
            options->owner = instance;
            if (instance) {
                options->view = instance->makeSettingsView().release();
                if (options->view)
                    column->addWidget(options->view);
            }
        };
        // Toggled, not clicked: a screen reader's toggle flips the switch without a click.
        connect(box, &QCheckBox::toggled, this, [this, id = info.id, refresh = row->refresh](bool on) {
            store_.setEnabled(id, on);
            refresh();  // an unknown id or a refused start leaves the switch as the registry has it
        });
        f.addRow(std::move(row), holder);
    }
    f.section();
    f.footnote(QStringLiteral("Each extension gets its own tab in the expanded notch and can show Live Activities "
                              "beside it. New extensions arrive with updates."));
    running_ = store_.running().observe([this] { form().refresh(); });
}

}  // namespace vesk
