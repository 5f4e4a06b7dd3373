// The Linux browse dialog: a tree of the file system's folders (and files), a status line
// and OK/Cancel. It reports "initialised" and "selection changed" to a callback, as the
// shell's browse dialog does on Windows.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>

class QFileSystemModel;
class QLabel;
class QModelIndex;
class QTreeView;

namespace modBrowseForFolder {

class BrowseDialog : public QDialog {
public:
    // The callback gets the dialog, the message and, for a selection change, the newly
    // selected item.
    using Callback = std::function<int(BrowseDialog*, unsigned, const QModelIndex*)>;

    BrowseDialog(QWidget* owner, const QString& title, std::int32_t flags, Callback callback);

    void SetSelection(const QString& path);  // selects, expands and scrolls to the path
    void SetStatusText(const QString& text);
    QString PathOf(const QModelIndex& index) const;  // "" for an item without a path
    QString SelectedPath() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnCurrentChanged(const QModelIndex& current);
    void OnDirectoryLoaded(const QString& directory);

    QFileSystemModel* model_;
    QTreeView* tree_;
    QLabel* status_;
    Callback callback_;
    bool initialised_ = false;
    QString pendingScroll_;  // a selected path whose rows are still loading
};

}  // namespace modBrowseForFolder
