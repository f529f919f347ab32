#include "app/WidgetPrompts.h"

#include "app/TLoginDialog.h"
#include "app/TablePasswordDialog.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

UserPrompts::Button WidgetPrompts::message(const QString& text, const QString& caption,
                                           Buttons buttons, Icon icon) {
    static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                              QMessageBox::Warning, QMessageBox::Critical,
                                              QMessageBox::Question};
    QMessageBox box(icons[static_cast<int>(icon)], caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (buttons & Yes)
        box.addButton(QMessageBox::Yes);
    if (buttons & No)
        box.addButton(QMessageBox::No);
    if (buttons & Ok)
        box.addButton(QMessageBox::Ok);
    if (buttons & Cancel)
        box.addButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Yes;
        case QMessageBox::No:
            return No;
        case QMessageBox::Ok:
            return Ok;
        default:
            return (buttons & Cancel) ? Cancel : ((buttons & No) ? No : Ok);
    }
}

std::optional<UserPrompts::Login> WidgetPrompts::login(const QString& databaseName,
                                                       const QString& userName) {
    return TLoginDialog::ask(databaseName, userName, QApplication::activeWindow());
}

bool WidgetPrompts::tablePassword(TSession& session) {
    TablePasswordDialog dialog(session, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QString> WidgetPrompts::saveFileName(const FileRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.caption, request.directory,
                       request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

int WidgetPrompts::execDialog(QObject& dialog) {
    auto* widget = qobject_cast<QDialog*>(&dialog);
    return widget ? widget->exec() : 0;
}
