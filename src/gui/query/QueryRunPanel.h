#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace corvane {

// What a window shows while a statement runs: a bar that follows the query's
// percentage, the time since it started and a "Cancel" button. Hidden when
// nothing runs.
class QueryRunPanel : public QWidget
{
    Q_OBJECT

public:
    explicit QueryRunPanel(QWidget* parent = nullptr);

    void start();
    // The data module's bar width: track width x percentage x 0.01.
    void setPercent(int percent);
    // Shows the time run so far.
    void tick();
    void finish();

    int barWidth() const;
    int trackWidth() const;
    QString elapsedText() const;
    QPushButton* cancelButton() const { return m_cancel; }

    // "0.4 s", "12 s", "2:05".
    static QString elapsedText(qint64 milliseconds);

signals:
    void cancelClicked();

private:
    QFrame* m_track;
    QFrame* m_bar;
    QLabel* m_elapsed;
    QPushButton* m_cancel;
    QElapsedTimer m_clock;
    int m_percent = 0;
};

} // namespace corvane
