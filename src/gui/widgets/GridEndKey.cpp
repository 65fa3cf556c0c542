#include "gui/widgets/GridEndKey.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>

namespace corvane {

namespace {

class EndKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent*>(event)->matches(QKeySequence::MoveToEndOfDocument)) {
            QAbstractItemModel* model = static_cast<QAbstractItemView*>(watched)->model();
            while (model && model->canFetchMore({}))
                model->fetchMore({});
        }
        return false; // the view moves as usual
    }
};

} // namespace

void GridEndKey::apply(QAbstractItemView& view) { view.installEventFilter(new EndKeyFilter(&view)); }

} // namespace corvane
