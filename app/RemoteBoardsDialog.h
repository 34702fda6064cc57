#pragma once

#include <QDialog>
#include <QStringList>
#include <vector>

#include "RemoteBoard.h"

class QDialogButtonBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;

// Edits the boards in a rack the window keeps, a board a row: its name and
// the HOST:PORT of each channel's RFC 2217 port, channel B's left empty for
// a board without one. OK takes the rows only once each reads as a board
// under a name of its own (a name no other listed board has); until then the
// dialog says what is wrong, picks the row and stays open. An empty row is
// passed over.
class RemoteBoardsDialog : public QDialog {
  public:
    RemoteBoardsDialog(const std::vector<RemoteBoard>& boards, QStringList takenNames,
                       QWidget* parent = nullptr);

    // The rows as boards, once the dialog is accepted.
    const std::vector<RemoteBoard>& boards() const { return accepted; }

    void accept() override;

  private:
    enum Column { NameColumn, ChannelAColumn, ChannelBColumn, ColumnCount };

    QTableWidget* buildTable();
    QHBoxLayout* buildRowButtons();
    QLabel* buildProblemLabel();
    QDialogButtonBox* buildOkCancel();
    void addRow(const QString& name, const QString& channelA, const QString& channelB);
    void addBoard();
    void removeBoards();
    QString cell(int row, Column column) const;
    bool rowIsEmpty(int row) const;
    RemoteBoardParse parseRow(int row, const QStringList& names) const;
    void takeOpenEditorsText();
    void showProblem(int row, const QString& problem);
    void clearProblem();

    QStringList takenNames;
    QTableWidget* table;
    QPushButton* removeButton;
    QLabel* problemLabel;
    std::vector<RemoteBoard> accepted;
};
