#include "RemoteBoardsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {

// The parse's words as a sentence of their own.
QString sentence(const QString& problem) {
    return problem.left(1).toUpper() + problem.mid(1) + QLatin1Char('.');
}

}  // namespace

RemoteBoardsDialog::RemoteBoardsDialog(const std::vector<RemoteBoard>& boards,
                                       QStringList takenNames, QWidget* parent)
    : QDialog(parent), takenNames(std::move(takenNames)) {
    setObjectName(QStringLiteral("remoteBoardsDialog"));
    setWindowTitle(QStringLiteral("Remote Boards"));
    auto* intro = new QLabel(
        QStringLiteral("Boards in a rack, reached over the network: for each board, the "
                       "HOST:PORT of the RFC 2217 port serving its channel A and, for board "
                       "control, its channel B. They are listed in the board chooser by name."),
        this);
    intro->setWordWrap(true);
    table = buildTable();
    for (const RemoteBoard& board : boards) {
        addRow(board.name, board.channelA.toText(),
               board.channelB ? board.channelB->toText() : QString());
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(table);
    layout->addLayout(buildRowButtons());
    layout->addWidget(buildProblemLabel());
    layout->addWidget(buildOkCancel());
    resize(640, 340);
}

QTableWidget* RemoteBoardsDialog::buildTable() {
    auto* t = new QTableWidget(0, ColumnCount, this);
    t->setObjectName(QStringLiteral("remoteBoardsTable"));
    t->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Channel A (HOST:PORT)"),
                                  QStringLiteral("Channel B (optional)")});
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    t->verticalHeader()->hide();
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                       QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    return t;
}

QHBoxLayout* RemoteBoardsDialog::buildRowButtons() {
    auto* addButton = new QPushButton(QStringLiteral("&Add"), this);
    addButton->setObjectName(QStringLiteral("addBoardButton"));
    connect(addButton, &QPushButton::clicked, this, &RemoteBoardsDialog::addBoard);
    removeButton = new QPushButton(QStringLiteral("&Remove"), this);
    removeButton->setObjectName(QStringLiteral("removeBoardButton"));
    removeButton->setEnabled(false);
    connect(removeButton, &QPushButton::clicked, this, &RemoteBoardsDialog::removeBoards);
    connect(table, &QTableWidget::itemSelectionChanged, this,
            [this] { removeButton->setEnabled(!table->selectedItems().isEmpty()); });
    // Enter with the focus on one of them still means OK.
    addButton->setAutoDefault(false);
    removeButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addStretch();
    return buttons;
}

// Hidden until OK finds a row wrong; changing a cell takes it away again.
QLabel* RemoteBoardsDialog::buildProblemLabel() {
    problemLabel = new QLabel(this);
    problemLabel->setObjectName(QStringLiteral("remoteBoardsProblem"));
    problemLabel->setWordWrap(true);
    QPalette warning = problemLabel->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    problemLabel->setPalette(warning);
    problemLabel->hide();
    connect(table, &QTableWidget::itemChanged, this, &RemoteBoardsDialog::clearProblem);
    return problemLabel;
}

QDialogButtonBox* RemoteBoardsDialog::buildOkCancel() {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("remoteBoardsButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

void RemoteBoardsDialog::addRow(const QString& name, const QString& channelA,
                                const QString& channelB) {
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, NameColumn, new QTableWidgetItem(name));
    table->setItem(row, ChannelAColumn, new QTableWidgetItem(channelA));
    table->setItem(row, ChannelBColumn, new QTableWidgetItem(channelB));
}

// The new row's name is typed first.
void RemoteBoardsDialog::addBoard() {
    addRow({}, {}, {});
    const int row = table->rowCount() - 1;
    table->setCurrentCell(row, NameColumn);
    table->editItem(table->item(row, NameColumn));
}

// From the last row up, so that each row's number still holds.
void RemoteBoardsDialog::removeBoards() {
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    QList<int> numbers;
    for (const QModelIndex& index : rows) {
        numbers.append(index.row());
    }
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    for (int row : numbers) {
        table->removeRow(row);
    }
    clearProblem();
}

QString RemoteBoardsDialog::cell(int row, Column column) const {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

bool RemoteBoardsDialog::rowIsEmpty(int row) const {
    return cell(row, NameColumn).isEmpty() && cell(row, ChannelAColumn).isEmpty() &&
           cell(row, ChannelBColumn).isEmpty();
}

// The row's cells written as the board's text form and read back as the
// command line's --remote reads it. What the form cannot say (a name holding
// its "=") or would say confusingly (an empty name or channel A) is told here.
RemoteBoardParse RemoteBoardsDialog::parseRow(int row, const QStringList& names) const {
    const QString name = cell(row, NameColumn);
    const QString channelA = cell(row, ChannelAColumn);
    const QString channelB = cell(row, ChannelBColumn);
    if (name.isEmpty()) {
        return {std::nullopt, QStringLiteral("the board on row %1 has no name").arg(row + 1)};
    }
    if (name.contains(QLatin1Char('='))) {
        return {std::nullopt, QStringLiteral("the name \"%1\" cannot hold \"=\"").arg(name)};
    }
    if (channelA.isEmpty()) {
        return {std::nullopt, QStringLiteral("board %1 has no HOST:PORT for channel A").arg(name)};
    }
    const QString text =
        name + u'=' + channelA + (channelB.isEmpty() ? QString() : u',' + channelB);
    RemoteBoardsParse parsed = ParseRemoteBoards({text}, names);
    if (!parsed.problem.isEmpty()) {
        return {std::nullopt, parsed.problem};
    }
    return {parsed.boards.front(), {}};
}

// A cell's editor hands the table its text as it loses the focus, or once
// the window's events are served after Enter: OK can come first.
void RemoteBoardsDialog::takeOpenEditorsText() {
    if (QWidget* editor = table->indexWidget(table->currentIndex())) {
        emit table->itemDelegate()->commitData(editor);
    }
}

void RemoteBoardsDialog::accept() {
    takeOpenEditorsText();
    std::vector<RemoteBoard> boards;
    QStringList names = takenNames;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (rowIsEmpty(row)) {
            continue;
        }
        const RemoteBoardParse parsed = parseRow(row, names);
        if (!parsed.board) {
            showProblem(row, parsed.problem);
            return;
        }
        names.append(parsed.board->name);
        boards.push_back(*parsed.board);
    }
    accepted = std::move(boards);
    QDialog::accept();
}

void RemoteBoardsDialog::showProblem(int row, const QString& problem) {
    problemLabel->setText(sentence(problem));
    problemLabel->show();
    table->selectRow(row);
    table->scrollToItem(table->item(row, NameColumn));
}

void RemoteBoardsDialog::clearProblem() {
    problemLabel->clear();
    problemLabel->hide();
}
