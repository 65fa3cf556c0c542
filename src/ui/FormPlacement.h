#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace corvane {

// Keeps a window's size, position and state in FORM.INI under the window's
// own section: read when the window opens, written when it closes. A window
// that comes to rest within 32 pixels of a screen edge snaps onto it.
class FormPlacement : public QObject
{
    Q_OBJECT

public:
    enum class Keep { PositionAndSize, PositionOnly };

    // iniPath: the program folder followed by "FORM.INI".
    FormPlacement(QWidget* window, const QString& section, const QString& iniPath,
                  Keep keep = Keep::PositionAndSize);

    static constexpr int SnapDistance = 32;

    const QString& section() const { return m_section; }

    // Applies the stored placement; false when the section holds none.
    bool restore();
    void save() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void snapToScreenEdges();

    QWidget* m_window;
    QString m_section;
    QString m_iniPath;
    Keep m_keep;
};

} // namespace corvane
