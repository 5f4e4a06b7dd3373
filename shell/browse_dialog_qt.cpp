#include "shell/browse_dialog_qt.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "shell/modBrowseForFolder.h"

namespace modBrowseForFolder {

BrowseDialog::BrowseDialog(QWidget* owner, const QString& title, const QString& startDir, std::int32_t flags)
    : QDialog(owner),
      model_(new QFileSystemModel(this)),
      tree_(new QTreeView(this)),
      status_(new QLabel(this)),
      startDir_(startDir) {
    setObjectName("browseDialog");
    setWindowTitle(tr("Browse"));
    setModal(true);
    resize(360, 420);

    auto* layout = new QVBoxLayout(this);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName("browseTitle");
    titleLabel->setWordWrap(true);
    titleLabel->setVisible(!title.isEmpty());
    layout->addWidget(titleLabel);

    status_->setObjectName("browseStatus");
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_->setVisible((flags & kBifStatusText) != 0);
    layout->addWidget(status_);

    QDir::Filters filters = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;  // hidden items stay out
    if (flags & kBifBrowseIncludeFiles) filters |= QDir::Files;
    model_->setFilter(filters);
    model_->setRootPath(QDir::rootPath());
    tree_->setObjectName("browseTree");
    tree_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
    tree_->header()->hide();
    tree_->setSortingEnabled(true);
    tree_->sortByColumn(0, Qt::AscendingOrder);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(tree_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("browseButtons");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { OnCurrentChanged(current); });
    connect(model_, &QFileSystemModel::directoryLoaded, this, &BrowseDialog::OnDirectoryLoaded);
}

void BrowseDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (initialised_) return;
    initialised_ = true;
    SetSelection(startDir_);
}

void BrowseDialog::SetSelection(const QString& path) {
    const QModelIndex index = model_->index(path);
    if (!index.isValid()) return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tree_->expand(up);
    tree_->setCurrentIndex(index);
    tree_->expand(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    pendingScroll_ = model_->filePath(index);
}

void BrowseDialog::OnDirectoryLoaded(const QString& directory) {
    // Rows arrive from a background scan; scroll again once the selection's folder is in.
    if (pendingScroll_.isEmpty()) return;
    const QModelIndex index = model_->index(pendingScroll_);
    if (!index.isValid()) return;
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    if (model_->filePath(index.parent()) == directory) pendingScroll_.clear();
}

QString BrowseDialog::PathOf(const QModelIndex& index) const {
    return index.isValid() ? QDir::cleanPath(model_->filePath(index)) : QString();
}

QString BrowseDialog::SelectedPath() const {
    return PathOf(tree_->currentIndex());
}

void BrowseDialog::OnCurrentChanged(const QModelIndex& current) {
    // An item without a path leaves the status as it was.
    const QString path = PathOf(current);
    if (!path.isEmpty()) status_->setText(path);
}

}  // namespace modBrowseForFolder
