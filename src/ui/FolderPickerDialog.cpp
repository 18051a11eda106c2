#include "ui/FolderPickerDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QString rootPath(DialogService::FolderRoot root) {
    // An empty root path is the model's "My Computer": every drive on Windows, the
    // file-system root elsewhere. Network shares are reached as UNC names on
    // Windows; on other systems they are mounted into the one file-system tree.
#ifdef Q_OS_WIN
    if (root == DialogService::FolderRoot::Network)
        return QStringLiteral("//");
#else
    Q_UNUSED(root);
#endif
    return QString();
}

} // namespace

FolderPickerDialog::FolderPickerDialog(DialogService::FolderRoot root, QWidget* parent)
    : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this)) {
    setWindowTitle(QStringLiteral("Procurar Pasta"));
    resize(420, 480);

    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_tree->setModel(m_model);
    m_tree->setRootIndex(m_model->setRootPath(rootPath(root)));
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    // The view makes its first row current when it gets the focus, without
    // selecting it: only a selected folder is an answer.
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { m_ok->setEnabled(m_tree->selectionModel()->hasSelection()); });
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current != m_revealing)
                    m_revealing = QPersistentModelIndex();
            });
    // The model lists each folder in the background and sorts it later: rows
    // that arrive above the selection push it out of sight.
    connect(m_model, &QFileSystemModel::rowsInserted, this, &FolderPickerDialog::reveal);
    connect(m_model, &QFileSystemModel::layoutChanged, this, &FolderPickerDialog::reveal);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderPickerDialog::reveal);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
}

void FolderPickerDialog::select(const QString& folder) {
    const QModelIndex index = m_model->index(QDir::fromNativeSeparators(folder));
    if (!index.isValid())
        return;
    m_revealing = index;
    m_tree->setCurrentIndex(index);
    reveal();
}

void FolderPickerDialog::reveal() {
    if (m_revealing.isValid())
        m_tree->scrollTo(m_revealing, QAbstractItemView::PositionAtCenter);
}

QString FolderPickerDialog::chosenFolder() const {
    const QModelIndexList selected = m_tree->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return QString();
    const QModelIndex index = selected.first();
    return QDir::toNativeSeparators(QDir::cleanPath(m_model->filePath(index)));
}
