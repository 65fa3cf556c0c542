#pragma once

#include "core/settings/EngineValues.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace corvane {

// The settings library's grids of the engines in SE3: "Set Stunt Values"
// (Delay and Delay2, the wait before each request in milliseconds) and
// "Engine Increment" (EngineInc). OK checks every cell, names the faulty ones
// in the window and writes nothing until all are sound; Cancel writes nothing.
class TEngineValuesForm : public QDialog
{
    Q_OBJECT

public:
    enum class Kind { StuntValues, EngineIncrement };

    TEngineValuesForm(Kind kind, const QString& dataFolder, QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    QTableWidget* grid() const { return Grid; }
    QLabel* problemLabel() const { return Problems; }

    void OkClick();

private:
    QList<EngineValues::Row> typedRows(QStringList& problems) const;

    Kind m_kind;
    EngineValues m_values;
    QList<EngineValues::Row> m_rows;
    QTableWidget* Grid;
    QLabel* Problems;
};

} // namespace corvane
