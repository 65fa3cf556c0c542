#include "gui/settings/SEAPIForm.h"

#include "core/data/DatabaseError.h"
#include "core/platform/Registry.h"
#include "core/settings/EngineApiKeys.h"
#include "core/settings/Settings.h"
#include "gui/widgets/OneLineNames.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvane {

TSEAPIForm::TSEAPIForm(const QString& dataFolder, QWidget* parent)
    : QDialog(parent)
    , m_values(dataFolder)
    , Grid(new QTableWidget(0, 2, this))
    , EnableCheck(
          new QCheckBox(QStringLiteral("Use the keys: add these engines to projects as API engines"), this))
    , Note(new QLabel(this))
{
    OneLineNames::apply(*Grid);
    setWindowTitle(QStringLiteral("Search Engine API"));
    Note->setWordWrap(true);
    Note->setTextFormat(Qt::PlainText);
    Note->setText(
        QStringLiteral("Engines whose scripts ask a search interface instead of a result page need a key "
                       "from their provider. A script value \"APIKey\" stands for the engine's key."));

    Grid->setHorizontalHeaderLabels({QStringLiteral("Search Engine"), QStringLiteral("API Key")});
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Grid->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    const Registry registry;
    const QHash<QString, QString> keys = EngineApiKeys::load(registry);
    QStringList engines;
    try {
        engines = m_values.apiEngines();
    } catch (const DatabaseError& e) {
        Note->setText(e.message());
    }
    if (engines.isEmpty() && Note->text().isEmpty())
        Note->setText(QStringLiteral("No search engine script asks a search interface."));
    Grid->setRowCount(int(engines.size()));
    for (int r = 0; r < engines.size(); ++r) {
        auto* name = new QTableWidgetItem(engines.at(r));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        Grid->setItem(r, 0, name);
        Grid->setItem(r, 1, new QTableWidgetItem(keys.value(engines.at(r))));
    }
    EnableCheck->setChecked(RegistryKey(registry, SettingsKeys::path(QLatin1String(SettingsKeys::Network)))
                                .readString(QStringLiteral("GoogleKeyEnabled"))
                            == QLatin1String("true"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSEAPIForm::OkClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Note);
    layout->addWidget(Grid, 1);
    layout->addWidget(EnableCheck);
    layout->addWidget(buttons);
    resize(520, 340);
}

void TSEAPIForm::OkClick()
{
    Registry registry;
    // Keys of engines not listed (no longer API engines) are kept.
    QHash<QString, QString> keys = EngineApiKeys::load(registry);
    for (int r = 0; r < Grid->rowCount(); ++r)
        keys.insert(Grid->item(r, 0)->text(), Grid->item(r, 1)->text().trimmed());
    EngineApiKeys::save(registry, keys);
    writeSetting(registry, QLatin1String(SettingsKeys::Network), QStringLiteral("GoogleKeyEnabled"),
                 SettingText::fromFlag(EnableCheck->isChecked()));
    accept();
}

} // namespace corvane
