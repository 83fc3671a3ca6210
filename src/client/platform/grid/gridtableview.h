#pragma once

#include <QElapsedTimer>
#include <QTableView>

namespace kolvar {

// The table part of a grid: read only, whole-row selection, and incremental
// search on the focused column while the user types.
class GridTableView : public QTableView
{
    Q_OBJECT
public:
    explicit GridTableView(QWidget *parent = nullptr);

    QString searchText() const { return m_search; }
    // Moves to the first row, from the focused one on, whose focused column
    // starts with text; false (and no move) when there is none.
    bool incrementalSearch(const QString &text);

    void keyboardSearch(const QString &search) override;

Q_SIGNALS:
    void currentCellChanged(const QModelIndex &current, const QModelIndex &previous);

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QString m_search;
    QElapsedTimer m_lastKey;
};

} // namespace kolvar
