#include "gui/widgets/FormPlacement.h"

#include <QCloseEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace corvane {

namespace {
const QString keyPosition = QStringLiteral("Position");
const QString keySize = QStringLiteral("Size");
const QString keyState = QStringLiteral("State");
} // namespace

FormPlacement::FormPlacement(QWidget* window, const QString& section, const QString& iniPath, Keep keep)
    : QObject(window)
    , m_window(window)
    , m_section(section)
    , m_iniPath(iniPath)
    , m_keep(keep)
{
    window->installEventFilter(this);
}

bool FormPlacement::restore()
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.beginGroup(m_section);
    if (!ini.contains(keyPosition))
        return false;
    if (m_keep == Keep::PositionAndSize && ini.contains(keySize))
        m_window->resize(ini.value(keySize).toSize());
    m_window->move(ini.value(keyPosition).toPoint());
    snapToScreenEdges();
    const QString state = ini.value(keyState).toString();
    if (state == QLatin1String("maximized"))
        m_window->setWindowState(m_window->windowState() | Qt::WindowMaximized);
    else if (state == QLatin1String("minimized"))
        m_window->setWindowState(m_window->windowState() | Qt::WindowMinimized);
    return true;
}

void FormPlacement::save() const
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.beginGroup(m_section);
    // A maximised window keeps its normal placement for when it is restored.
    const QRect normal =
        m_window->normalGeometry().isValid() ? m_window->normalGeometry() : m_window->geometry();
    ini.setValue(keyPosition, normal.topLeft());
    if (m_keep == Keep::PositionAndSize)
        ini.setValue(keySize, normal.size());
    const Qt::WindowStates states = m_window->windowState();
    ini.setValue(keyState,
                 states & Qt::WindowMaximized       ? QStringLiteral("maximized")
                     : states & Qt::WindowMinimized ? QStringLiteral("minimized")
                                                    : QStringLiteral("normal"));
    ini.sync();
}

void FormPlacement::snapToScreenEdges()
{
    const QScreen* screen = m_window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = m_window->frameGeometry();
    if (qAbs(frame.left() - area.left()) <= SnapDistance)
        frame.moveLeft(area.left());
    else if (qAbs(frame.right() - area.right()) <= SnapDistance)
        frame.moveRight(area.right());
    if (qAbs(frame.top() - area.top()) <= SnapDistance)
        frame.moveTop(area.top());
    else if (qAbs(frame.bottom() - area.bottom()) <= SnapDistance)
        frame.moveBottom(area.bottom());
    if (frame.topLeft() != m_window->frameGeometry().topLeft())
        m_window->move(frame.topLeft());
}

bool FormPlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Close)
            save();
        else if (event->type() == QEvent::NonClientAreaMouseButtonRelease)
            snapToScreenEdges();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane
