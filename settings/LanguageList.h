#pragma once
// The language choice: the translation files present, four to a page, each
// shown by its own name in its own font; a search through the on-screen
// keyboard narrows the list. Confirming stores the language in the user
// settings and switches the program to it.

#include <QDialog>
#include <QStringList>

class QPushButton;

namespace Ui {
class LanguageList;
}

class LanguageList : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kPerPage = 4;

    // firstStart: opened because no settings exist yet; the operator must
    // choose (no back key), and confirming without a choice keeps the
    // language in force.
    LanguageList(QWidget *parent = nullptr, bool firstStart = false);
    ~LanguageList() override;

    // Lists the "*.qm" files of the languages folder that match the search
    // text and shows the first page (or the page of the chosen language).
    void reloadList();
    void populateList();
    // The display name of a language file from the table, and its font;
    // false (and the file name as display name) when the table lacks it.
    bool FindIdioma(const QString &fileName, QString &displayName, QString &fontFamily) const;

    void setSearchText(const QString &text);
    QString searchText() const { return filter; }
    const QStringList &shownLanguages() const { return files; }
    int page() const { return pageIdx; }
    int pageCount() const;
    QString selectedLanguage() const { return selected; }
    // The key at position 1 to 4 of the current page.
    QPushButton *languageButton(int position) const;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void on_previous_clicked();
    void on_next_clicked();
    void on_search_clicked();
    void on_back_clicked();
    void on_confirm_clicked();
    void languageClicked();

private:
    void showSelection();

    Ui::LanguageList *ui;
    QList<QPushButton *> slots_;
    QStringList files;
    QString filter;
    QString selected;
    int pageIdx = 0;
};
