// TAboutDlg: the about box, with the program's name and version and the link
// to the help page.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutDlg(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *Button1 = nullptr;

    void FormCreate();
    void Label4Click();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
};
