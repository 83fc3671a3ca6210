#pragma once

#include <wire/table.h>

#include <QObject>
#include <QVariant>

#include <memory>
#include <stdexcept>

namespace kolvar {

// Field kinds of a dataset, after the column types of the table it holds.
enum class FieldKind { String, Integer, LargeInt, Float, Boolean, Date, DateTime, Blob };

struct FieldInfo {
    QString name;
    FieldKind kind = FieldKind::String;
    int size = 0;
    QString displayFormat; // e.g. "#,###,##0.00" for amounts; empty = plain
};

// The client's in-memory dataset: a table, a cursor, edit/post of the
// current record, and change notifications for the views bound to it.
//
// The rows live in a kolvar::Table (columnar); the dataset adds the cursor,
// the field list with display formats, and notifications. A worker may fill
// a dataset while its views are detached or controls are disabled; views are
// only told about the change (dataReset) when controls are enabled again.
class ClientDataSet : public QObject
{
    Q_OBJECT
public:
    explicit ClientDataSet(QObject *parent = nullptr);
    ~ClientDataSet() override;

    bool isActive() const;         // has a structure (was given data)
    void close();                  // drops structure and rows
    void assignData(Table packet); // data packet: becomes the whole content
    // Reader: the fields become the reader's columns, then its rows are
    // appended one by one. Earlier content goes, so a reload never doubles rows.
    void copyReader(const Table &reader);
    void emptyDataSet(); // keeps fields, drops rows
    const Table &table() const;

    int recordCount() const;
    bool isEmpty() const;

    // Cursor. recNo() is 0-based; -1 when empty. Moving the cursor posts a
    // pending edit first. eof() is true on an empty dataset, after last() and
    // after next() on the last record; bof() likewise at the start.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;
    bool bof() const;
    int recNo() const;
    void setRecNo(int row);
    bool locate(QStringView field, const QVariant &value); // exact match; moves the cursor

    // Fields.
    int fieldCount() const;
    int fieldIndex(QStringView name) const; // -1 when missing
    const FieldInfo &field(int index) const;
    QVariant fieldValue(QStringView name) const; // current record; throws on unknown field
    QVariant value(int row, int col) const;
    QString displayText(int row, int col) const; // applies the display format
    void setDisplayFormat(QStringView field, const QString &format);

    // Edit/post of the current record.
    void edit();
    void setFieldValue(QStringView name, const QVariant &value); // only in edit or insert state
    void post();
    void cancel();
    void append();            // new empty record at the end, in insert state (cancel removes it)
    void deleteRecord();      // removes the current record
    bool isEditing() const;   // edit or insert state
    bool isInserting() const; // insert state

    // Notifications to views; nested calls count.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

Q_SIGNALS:
    void dataReset();         // structure or whole content changed
    void rowChanged(int row); // one record's values changed (post)
    void rowsInserted(int first, int last);
    void rowsRemoved(int first, int last);
    void currentChanged(int row);
    void displayFormatChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Unknown field name or editing outside edit state.
class DataSetError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace kolvar
