// The Linux browse dialog: a tree of the file system's folders (and files), a status line
// that shows the selected item's path, and OK/Cancel. It opens with the start folder selected.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class QFileSystemModel;
class QLabel;
class QModelIndex;
class QTreeView;

namespace modBrowseForFolder {

class BrowseDialog : public QDialog {
public:
    // `flags` are the modBrowseForFolder::kBif... bits.
    BrowseDialog(QWidget* owner, const QString& title, const QString& startDir, std::int32_t flags);

    QString SelectedPath() const;  // "" when nothing with a path is selected

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetSelection(const QString& path);  // selects, expands and scrolls to the path
    QString PathOf(const QModelIndex& index) const;
    void OnCurrentChanged(const QModelIndex& current);
    void OnDirectoryLoaded(const QString& directory);

    QFileSystemModel* model_;
    QTreeView* tree_;
    QLabel* status_;
    QString startDir_;
    bool initialised_ = false;
    QString pendingScroll_;  // a selected path whose rows are still loading
};

}  // namespace modBrowseForFolder
