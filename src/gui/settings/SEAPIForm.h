#pragma once

#include "core/settings/EngineValues.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QTableWidget;

namespace corvane {

// "Search Engine API" of the settings library: the key of every engine whose
// script asks a programming interface (SE3's API flag), and the switch
// GoogleKeyEnabled with which the project wizard adds such engines as API
// engines. OK writes both; the keys are kept enciphered.
class TSEAPIForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSEAPIForm(const QString& dataFolder, QWidget* parent = nullptr);

    QTableWidget* grid() const { return Grid; }
    QCheckBox* enableCheck() const { return EnableCheck; }

    void OkClick();

private:
    EngineValues m_values;
    QTableWidget* Grid;
    QCheckBox* EnableCheck;
    QLabel* Note;
};

} // namespace corvane
