#pragma once

#include <QListWidget>
#include <QPersistentModelIndex>

class QMenu;

namespace qb {

// The list of reference dates in the "Stichtage" tab, one row per date, chosen by a click or
// the arrow keys. The chosen row shows whether the list has the keyboard's focus: a ring inside
// it while it has. A right click chooses nothing: it asks for the row's menu (the list's
// customContextMenuRequested), and while that menu is open the row it belongs to is marked with
// a ring of its own, so that the screen says which date the menu acts on. The same ring marks
// the row a question asks about, for as long as the question is open.
class Stichtagslistenfeld : public QListWidget {
    Q_OBJECT
public:
    explicit Stichtagslistenfeld(QWidget* eltern = nullptr);

    // Opens `menue` at `stelle` (in the viewport) for `eintrag`'s row, which stays marked until
    // the menu closes. The selection and the current row stay as they are.
    void zeigeMenue(QMenu* menue, QListWidgetItem* eintrag, const QPoint& stelle);
    // The row whose menu is open; null while none is.
    QListWidgetItem* menuezeile() const;
    // Marks `eintrag`'s row as the one a question acts on; null takes the mark away.
    void markiere(QListWidgetItem* eintrag);

protected:
    void mousePressEvent(QMouseEvent* ereignis) override;
    void mouseReleaseEvent(QMouseEvent* ereignis) override;
    void focusInEvent(QFocusEvent* ereignis) override;
    void focusOutEvent(QFocusEvent* ereignis) override;
    void paintEvent(QPaintEvent* ereignis) override;

private:
    QPersistentModelIndex menuezeile_;
    QPersistentModelIndex markiert_;
};

} // namespace qb
