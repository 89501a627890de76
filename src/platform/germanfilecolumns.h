#pragma once

#include <QIdentityProxyModel>

// The toolkit's file lists write modification dates and sizes in the machine's locale; the
// program's dates are dd.MM.yyyy and its numbers German, whatever the machine says. Put over a
// QFileSystemModel (name, size, type, date modified).
class GermanFileColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    static constexpr int SizeColumn = 1;
    static constexpr int DateColumn = 3;

    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override;
};
