#include "app/file_dialogs.h"
#include "editor/block_editor.h"
#include "editor/message_list_box.h"
#include "support/core/unprivileged.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "support/gui/modal_guard.h"
#include "widgets/error_report.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QCompleter>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

namespace {

const std::string kNewTitle = "Lumavane Message Editor V1.0 -- [new file]";

using Lines = std::vector<std::string>;

class MainWindowTest : public AppFixture {
protected:
    // Answers the block editor: types `text` (replacing what it holds) and confirms with Enter.
    static std::function<void(TBEDlg*)> typeBlock(const QString& text, bool centered = false) {
        return [text, centered](TBEDlg* dialog) {
            dialog->CheckBox1->setChecked(centered);
            dialog->Edit1->selectAll();
            QTest::keyClicks(dialog->Edit1, text);
            QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        };
    }
    static std::function<void(TBEDlg*)> cancelBlock() {
        return [](TBEDlg* dialog) { QTest::keyClick(dialog->Edit1, Qt::Key_Escape); };
    }
    static std::function<void(QFileDialog*)> chooseFile(const std::string& path) {
        return [path](QFileDialog* dialog) { typeFileName(dialog, QString::fromStdString(path)); };
    }
    static std::function<void(QFileDialog*)> cancelFile() {
        return [](QFileDialog* dialog) { dialog->reject(); };
    }
    void select(int row) { form().ListBox1->SetItemIndex(row); }
};

struct MenuItem {
    const char* name;
    const char* menu;
    const char* caption;
    const char* shortcut;
};

TEST_F(MainWindowTest, StartsUntitledWithTheWholeMenu) {
    EXPECT_EQ(title(), kNewTitle);
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(programTitle(), "Lumavane Static Message Editor");

    const MenuItem items[] = {
        {"New1", "File1", "&New", "Ctrl+N"},
        {"Open1", "File1", "&Open...", "Ctrl+O"},
        {"Save1", "File1", "&Save...", "Ctrl+S"},
        {"SaveAs1", "File1", "Save &As...", "Ctrl+A"},
        {"Print1", "File1", "&Print", "Ctrl+P"},
        {"PrintSetup1", "File1", "Print S&etup...", ""},
        {"EditSelection1", "Edit1", "&Edit Selection...", "Ctrl+E"},
        {"DeleteSelection1", "Edit1", "&Delete Selection", "Del"},
        {"InsertNew1", "Edit1", "&Insert New...", "Ins"},
        {"AddNew1", "Edit1", "&Add New...", ""},
        {"SignPreview1", "View1", "Sign &Preview", "F8"},
        {"Configuration1", "Send1", "&Configuration", ""},
        {"SendMessage1", "Send1", "&Send Message", "F9"},
    };
    for (const MenuItem& item : items) {
        auto* menu = form().findChild<QMenu*>(item.menu);
        ASSERT_NE(menu, nullptr) << item.menu;
        QAction* found = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->objectName() == item.name)
                found = action;
        }
        ASSERT_NE(found, nullptr) << item.name;
        EXPECT_EQ(found->text().toStdString(), item.caption) << item.name;
        EXPECT_EQ(found->shortcut().toString().toStdString(), item.shortcut) << item.name;
        EXPECT_TRUE(found->isEnabled()) << item.name;
    }
    QStringList captions;
    for (QAction* action : form().menuBar()->actions())
        captions << action->text();
    EXPECT_EQ(captions, QStringList({"&File", "&Edit", "&View", "&Send"}));
    // Alt+menu letter, then the item's underlined letter runs the item: within a menu each
    // caption has one access key, and no two share it (Qt would only cycle between them).
    for (QMenu* menu : {form().File1, form().Edit1, form().View1, form().Send1}) {
        QStringList keys;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QString text = action->text();
            EXPECT_EQ(text.count('&'), 1) << text.toStdString();
            keys << QKeySequence::mnemonic(text).toString();
        }
        EXPECT_EQ(keys.removeDuplicates(), 0) << keys.join(" ").toStdString();
    }
    // The separator between Save As and Print.
    const QList<QAction*> file = form().File1->actions();
    ASSERT_GE(file.size(), 5);
    EXPECT_TRUE(file[4]->isSeparator());
    EXPECT_EQ(file[4]->objectName(), "N1");
}

TEST_F(MainWindowTest, ClosingUnchangedListAsksNothing) {
    NoModalGuard guard;
    EXPECT_TRUE(form().close());
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
}

TEST_F(MainWindowTest, OpenShowsTheFileLinesAndName) {
    const std::string path = dir.file("shop.lsm");
    writeFileBytes(path, "Centered,^R^OPEN\r\nNotCentered,A\nthird\r");
    load({"NotCentered,previous"});
    ModalScript script;
    script.expect<QFileDialog>(chooseFile(path));
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines(), Lines({"Centered,^R^OPEN", "NotCentered,A", "third"}));
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + path);
}

TEST_F(MainWindowTest, SaveAsWritesExactBytesAndAsksBeforeCreating) {
    load({"", "NotCentered,A"});
    const std::string path = dir.file("new.lsm");
    QString prompt;
    ModalScript script;
    script.expect<QFileDialog>(chooseFile(path))
        .expect<QMessageBox>(answerBox(QMessageBox::Yes, &prompt));
    press(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_TRUE(prompt.contains("does not exist")) << prompt.toStdString();
    EXPECT_EQ(readFileBytes(path), "\r\nNotCentered,A\r\n");
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + path);
}

TEST_F(MainWindowTest, SaveAsRefusingToCreateWritesNothing) {
    load({"NotCentered,A"});
    const std::string path = dir.file("refused.lsm");
    ModalScript script;
    script.expect<QFileDialog>(chooseFile(path))
        .expect<QMessageBox>(answerBox(QMessageBox::No))
        .expect<QFileDialog>(cancelFile());
    press(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_FALSE(fileExists(path));
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + dir.file("loaded.lsm"));
}

TEST_F(MainWindowTest, SaveAsAddsTheDefaultExtensionAndAsksBeforeOverwriting) {
    load({"NotCentered,new"});
    writeFileBytes(dir.file("exists.lsm"), "old\r\n");
    QString question;
    ModalScript script;
    script.expect<QFileDialog>(chooseFile(dir.file("exists")))
        .expect<QMessageBox>(answerBox(QMessageBox::Yes, &question));
    press(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_TRUE(question.contains("already exists")) << question.toStdString();
    EXPECT_EQ(readFileBytes(dir.file("exists.lsm")), "NotCentered,new\r\n");
}

TEST_F(MainWindowTest, SaveOnUntitledListCancelledKeepsNameAndFlag) {
    ModalScript add;
    add.expect<TBEDlg>(typeBlock("one")).expect<TBEDlg>(cancelBlock());
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait()) << add.pending();
    ASSERT_EQ(title(), kNewTitle + " *");

    ModalScript script;
    script.expect<QFileDialog>(cancelFile());
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(title(), kNewTitle + " *");
}

TEST_F(MainWindowTest, SaveOnNamedUnmodifiedListWritesWithoutAsking) {
    load({"NotCentered,A"});
    const std::string path = dir.file("loaded.lsm");
    // Written again as it was (touched): no change of the file, so no question.
    writeFileBytes(path, "NotCentered,A\r\n");
    NoModalGuard guard;
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
    EXPECT_EQ(readFileBytes(path), "NotCentered,A\r\n");
}

TEST_F(MainWindowTest, DeleteAsksAndRemovesOnlyOnOk) {
    load({"NotCentered,1", "NotCentered,2", "NotCentered,3"});
    {
        NoModalGuard guard; // no selection: nothing is asked
        press(Qt::Key_Delete);
        EXPECT_TRUE(guard.Seen().isEmpty());
    }
    select(1);
    QString text;
    QString caption;
    ModalScript cancel;
    cancel.expect<QMessageBox>(answerBox(QMessageBox::Cancel, &text, &caption));
    press(Qt::Key_Delete);
    ASSERT_TRUE(cancel.wait()) << cancel.pending();
    EXPECT_EQ(text, "Are you sure you wish to delete the selection?");
    EXPECT_EQ(caption, "Warning");
    EXPECT_EQ(lines().size(), 3u);
    EXPECT_EQ(title().back(), 'm'); // still unmodified: ends with the file name

    ModalScript ok;
    ok.expect<QMessageBox>(answerBox(QMessageBox::Ok));
    press(Qt::Key_Delete);
    ASSERT_TRUE(ok.wait()) << ok.pending();
    EXPECT_EQ(lines(), Lines({"NotCentered,1", "NotCentered,3"}));
    EXPECT_EQ(form().ListBox1->ItemIndex(), -1);
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + dir.file("loaded.lsm") + " *");
}

TEST_F(MainWindowTest, DeleteQuestionDefaultsToOk) {
    load({"NotCentered,1"});
    select(0);
    ModalScript script;
    script.expect<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    press(Qt::Key_Delete);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines().size(), 1u);
}

TEST_F(MainWindowTest, NewWithUnsavedChangesAnsweredNoEmptiesTheList) {
    load({"NotCentered,1"});
    select(0);
    ModalScript edit;
    edit.expect<TBEDlg>(typeBlock("changed"));
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(edit.wait()) << edit.pending();
    EXPECT_EQ(lines(), Lines({"NotCentered,changed"}));

    QString question;
    QString caption;
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::No, &question, &caption));
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(question.toStdString(), "Do you wish to save " + dir.file("loaded.lsm") + "?");
    EXPECT_EQ(caption, "Confirm");
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(title(), kNewTitle);
    // The file was not touched.
    EXPECT_EQ(readFileBytes(dir.file("loaded.lsm")), "NotCentered,1\r\n");
}

TEST_F(MainWindowTest, SaveQuestionCancelChangesNothing) {
    ModalScript add;
    add.expect<TBEDlg>(typeBlock("keep")).expect<TBEDlg>(cancelBlock());
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait());

    ModalScript script;
    script.expect<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    press(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines(), Lines({"NotCentered,keep"}));
    EXPECT_EQ(title(), kNewTitle + " *");
}

TEST_F(MainWindowTest, OpenAfterYesSavesFirstEvenWhenOpenIsCancelled) {
    ModalScript add;
    add.expect<TBEDlg>(typeBlock("first")).expect<TBEDlg>(cancelBlock());
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait());

    const std::string path = dir.file("saved.lsm");
    QString question;
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::Yes, &question))
        .expect<QFileDialog>(chooseFile(path))
        .expect<QMessageBox>(answerBox(QMessageBox::Yes)) // create the file
        .expect<QFileDialog>(cancelFile());               // the open dialog
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(question, "Do you wish to save [new file]?");
    EXPECT_EQ(readFileBytes(path), "NotCentered,first\r\n");
    EXPECT_EQ(lines(), Lines({"NotCentered,first"}));
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + path);
}

TEST_F(MainWindowTest, ClosingModifiedListAsksAndStaysOpenWhenSaveIsCancelled) {
    ModalScript add;
    add.expect<TBEDlg>(typeBlock("x")).expect<TBEDlg>(cancelBlock());
    form().AddNew1->trigger();
    ASSERT_TRUE(add.wait());

    QString question;
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::Yes, &question))
        .expect<QFileDialog>(cancelFile());
    EXPECT_FALSE(form().close());
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(question, "Do you wish to save [new file]?");
    EXPECT_TRUE(form().isVisible());

    ModalScript no;
    no.expect<QMessageBox>(answerBox(QMessageBox::No));
    EXPECT_TRUE(form().close());
    ASSERT_TRUE(no.wait());
}

TEST_F(MainWindowTest, AddNewLoopsUntilCancelAndKeepsCentredFlag) {
    ModalScript script;
    script.expect<TBEDlg>(typeBlock("^R^ONE", true))
        .expect<TBEDlg>([](TBEDlg* dialog) {
            // Add empties the text and keeps the last centring flag.
            EXPECT_TRUE(dialog->Edit1->text().isEmpty());
            EXPECT_TRUE(dialog->CheckBox1->isChecked());
            QTest::keyClicks(dialog->Edit1, "TWO");
            QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
        })
        .expect<TBEDlg>(cancelBlock());
    form().AddNew1->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines(), Lines({"Centered,^R^ONE", "Centered,TWO"}));
    EXPECT_EQ(title(), kNewTitle + " *");
}

TEST_F(MainWindowTest, AddNewCancelledAtOnceAddsNothing) {
    ModalScript script;
    script.expect<TBEDlg>(cancelBlock());
    form().AddNew1->trigger();
    ASSERT_TRUE(script.wait());
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(title(), kNewTitle);
}

TEST_F(MainWindowTest, InsertNewGoesBeforeTheSelection) {
    {
        NoModalGuard guard; // empty list: no editor
        press(Qt::Key_Insert);
        EXPECT_TRUE(guard.Seen().isEmpty());
    }
    load({"NotCentered,1", "NotCentered,2", "NotCentered,3"});
    {
        NoModalGuard guard; // no selection: no editor
        press(Qt::Key_Insert);
        EXPECT_TRUE(guard.Seen().isEmpty());
    }
    select(2);
    ModalScript script;
    script.expect<TBEDlg>(typeBlock("new"));
    press(Qt::Key_Insert);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines(),
              Lines({"NotCentered,1", "NotCentered,2", "NotCentered,new", "NotCentered,3"}));
    EXPECT_EQ(title().substr(title().size() - 2), " *");
}

TEST_F(MainWindowTest, EditSelectionRebuildsTheLineAndKeepsTheSelection) {
    load({"hand made line", "Centered,^G^GO"});
    select(0);
    ModalScript script;
    script.expect<TBEDlg>([](TBEDlg* dialog) {
        EXPECT_EQ(dialog->Edit1->text(), "hand made line");
        EXPECT_FALSE(dialog->CheckBox1->isChecked());
        QTest::keyClick(dialog->Edit1, Qt::Key_Return); // unchanged
    });
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines()[0], "NotCentered,hand made line");
    EXPECT_EQ(form().ListBox1->ItemIndex(), 0);
    EXPECT_EQ(title().substr(title().size() - 2), " *");

    // A double click edits the selected entry too; Cancel changes nothing.
    select(1);
    ModalScript dbl;
    dbl.expect<TBEDlg>([](TBEDlg* dialog) {
        EXPECT_EQ(dialog->Edit1->text(), "^G^GO");
        EXPECT_TRUE(dialog->CheckBox1->isChecked());
        QTest::keyClicks(dialog->Edit1, "NE");
        QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
    });
    const QRect row = form().ListBox1->visualRect(form().Lines().index(1));
    QTest::mouseDClick(form().ListBox1->viewport(), Qt::LeftButton, {}, row.center());
    ASSERT_TRUE(dbl.wait()) << dbl.pending();
    EXPECT_EQ(lines()[1], "Centered,^G^GO");
}

TEST_F(MainWindowTest, EnterOnARowEditsIt) {
    load({"NotCentered,first", "Centered,^G^GO"});
    {
        NoModalGuard guard; // no selection: nothing to edit
        press(Qt::Key_Return);
        EXPECT_TRUE(guard.Seen().isEmpty());
    }
    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{"Return", Qt::Key_Return, Qt::NoModifier},
                {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto& k : keys) {
        select(1);
        QString text;
        ModalScript script;
        script.expect<TBEDlg>([&text](TBEDlg* dialog) {
            text = dialog->Edit1->text();
            QTest::keyClick(dialog->Edit1, Qt::Key_Escape);
        });
        press(k.key, k.modifiers);
        ASSERT_TRUE(script.wait()) << k.name << ": " << script.pending();
        EXPECT_EQ(text, "^G^GO") << k.name;
    }
}

TEST_F(MainWindowTest, AltFThenEOpensPrintSetup) {
    QString caption;
    ModalScript script;
    script.expect<QDialog>([&caption](QDialog* dialog) {
        caption = dialog->windowTitle();
        dialog->reject();
    });
    press(Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return form().File1->isVisible(); }));
    QTest::keyClick(form().File1, Qt::Key_E);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(caption, "Print Setup");
}

TEST_F(MainWindowTest, LongStoredBlockConfirmedUnchangedKeepsEveryCharacter) {
    const std::string text(255, 'x');
    load({"NotCentered," + text});
    select(0);
    ModalScript script;
    script.expect<TBEDlg>([](TBEDlg* dialog) { QTest::keyClick(dialog->Edit1, Qt::Key_Return); });
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(script.wait());
    EXPECT_EQ(lines()[0], "NotCentered," + text);
}

TEST_F(MainWindowTest, LineLongerThanABlockKeepsEveryByteThroughEditAndSave) {
    std::string text;
    for (int i = 0; i < 332; ++i)
        text.push_back(static_cast<char>('a' + i % 26));
    load({"Centered," + text, "NotCentered,B"});
    const std::string before = readFileBytes(dir.file("loaded.lsm"));
    select(0);
    ModalScript script;
    script.expect<TBEDlg>([&](TBEDlg* dialog) {
        EXPECT_EQ(dialog->Edit1->text().toStdString(), text);
        QTest::keyClick(dialog->Edit1, Qt::Key_Return);
    });
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    press(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFileBytes(dir.file("loaded.lsm")), before);
}

TEST_F(MainWindowTest, FileCutByANulIsShownWithAWarningAndNeverSavedOverSilently) {
    const std::string path = dir.file("nul.lsm");
    const std::string bytes =
        std::string("NotCentered,BEFORE\r\nCentered,HAS\0 A NUL BYTE INSIDE\r\n", 53) +
        "NotCentered,AFTER ONE\r\nNotCentered,AFTER TWO\r\n";
    writeFileBytes(path, bytes);
    QString warning, caption;
    ModalScript open;
    open.expect<QFileDialog>(chooseFile(path))
        .expect<QMessageBox>(answerBox(QMessageBox::Ok, &warning, &caption));
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(open.wait()) << open.pending();
    EXPECT_EQ(warning.toStdString(),
              path + " holds a NUL byte at offset 32: the text after it is not shown.");
    EXPECT_EQ(caption, programTitle());
    EXPECT_EQ(lines(), Lines({"NotCentered,BEFORE", "Centered,HAS"}));
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + path);

    // Save asks first; Cancel writes nothing.
    auto clickText = [](const QString& caption) {
        return [caption](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == caption)
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        };
    };
    QString question;
    ModalScript cancel;
    cancel.expect<QMessageBox>([&](QMessageBox* box) {
        question = box->text();
        clickButton(box, QMessageBox::Cancel);
    });
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(cancel.wait()) << cancel.pending();
    EXPECT_TRUE(
        question.startsWith(QString::fromStdString(path) + " holds a NUL byte at offset 32"))
        << question.toStdString();
    EXPECT_EQ(readFileBytes(path), bytes);

    // Save As offered there writes the lines elsewhere and leaves the file as it was.
    const std::string copy = dir.file("copy.lsm");
    ModalScript saveAs;
    saveAs.expect<QMessageBox>(clickText("Save &As..."))
        .expect<QFileDialog>(chooseFile(copy))
        .expect<QMessageBox>(answerBox(QMessageBox::Yes));
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(saveAs.wait()) << saveAs.pending();
    EXPECT_EQ(readFileBytes(copy), "NotCentered,BEFORE\r\nCentered,HAS\r\n");
    EXPECT_EQ(readFileBytes(path), bytes);
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + copy);

    // The copy holds what was shown: it is saved over without asking.
    {
        NoModalGuard guard;
        press(Qt::Key_S, Qt::ControlModifier);
        EXPECT_TRUE(guard.Seen().isEmpty());
    }

    // Replace, chosen on purpose, writes over the file.
    ModalScript replace;
    replace.expect<QMessageBox>(answerBox(QMessageBox::Ok))
        .expect<QMessageBox>(clickText("&Replace"));
    form().OpenFile(path);
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(replace.wait()) << replace.pending();
    EXPECT_EQ(readFileBytes(path), "NotCentered,BEFORE\r\nCentered,HAS\r\n");
}

TEST_F(MainWindowTest, FileTheUserMayNotWriteIsRefusedAndStaysModified) {
    if (rerunUnprivileged())
        return;
    load({"NotCentered,old"});
    const std::string path = dir.file("loaded.lsm");
    const std::string before = readFileBytes(path);
    ::chmod(path.c_str(), 0444);
    select(0);
    ModalScript edit;
    edit.expect<TBEDlg>(typeBlock("new"));
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(edit.wait()) << edit.pending();

    QString message;
    ModalScript save;
    save.expect<QMessageBox>(answerBox(QMessageBox::Ok, &message));
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(save.wait()) << save.pending();
    EXPECT_EQ(message.toStdString(), "Cannot create file " + path + "\nPermission denied");
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + path + " *");
}

TEST_F(MainWindowTest, FileDialogsOfferTheLastNameSelectedSoTypingReplacesIt) {
    writeFileBytes(dir.file("first.lsm"), "NotCentered,FIRST\r\n");
    writeFileBytes(dir.file("second.lsm"), "NotCentered,SECOND\r\n");
    ModalScript first;
    first.expect<QFileDialog>(chooseFile(dir.file("first.lsm")));
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(first.wait()) << first.pending();

    // The second time the user just types, as into any selected field.
    QString offered;
    ModalScript second;
    second.expect<QFileDialog>([&](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        offered = name->selectedText();
        name->setFocus();
        QTest::keyClicks(name, QString::fromStdString(dir.file("second.lsm")));
        if (QCompleter* completer = name->completer(); completer && completer->popup())
            completer->popup()->hide();
        QTest::keyClick(name, Qt::Key_Return);
    });
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(second.wait()) << second.pending();
    EXPECT_EQ(offered, "first.lsm");
    EXPECT_EQ(lines(), Lines({"NotCentered,SECOND"}));
}

TEST_F(MainWindowTest, UnreadableFileIsReportedAndNothingIsLost) {
    load({"NotCentered,kept"});
    // A FIFO passes the open dialog but is no message file.
    const std::string fifo = dir.file("pipe.lsm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    QString message;
    QString caption;
    ModalScript script;
    script.expect<QFileDialog>(chooseFile(fifo))
        .expect<QMessageBox>(answerBox(QMessageBox::Ok, &message, &caption));
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_TRUE(message.startsWith(QString::fromStdString("Cannot open file " + fifo)))
        << message.toStdString();
    EXPECT_EQ(caption, programTitle());
    EXPECT_EQ(lines(), Lines({"NotCentered,kept"}));
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- " + dir.file("loaded.lsm"));
    // The report also went to the error log.
    const std::string log = readFileBytes(errorLogPath().toStdString());
    EXPECT_NE(log.find("Cannot open file " + fifo), std::string::npos);
}

TEST_F(MainWindowTest, FailedSaveKeepsOldFileAndModifiedFlag) {
    load({"NotCentered,old"});
    select(0);
    ModalScript edit;
    edit.expect<TBEDlg>(typeBlock(QString(240, 'n')));
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(edit.wait());
    for (int i = 0; i < 40; ++i)
        form().Lines().Append(lines()[0]);

    QString message;
    ModalScript script;
    script.expect<QMessageBox>(answerBox(QMessageBox::Ok, &message));
    {
        // A file size limit makes the write fail part way, as a full disk would.
        const FileSizeLimit limit(1024);
        press(Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(script.wait()) << script.pending();
    }

    EXPECT_TRUE(
        message.startsWith(QString::fromStdString("Cannot create file " + dir.file("loaded.lsm"))))
        << message.toStdString();
    EXPECT_EQ(readFileBytes(dir.file("loaded.lsm")), "NotCentered,old\r\n");
    EXPECT_EQ(title().substr(title().size() - 2), " *");

    // Closing still asks, so the changes are not lost silently.
    QString question;
    ModalScript close;
    close.expect<QMessageBox>(answerBox(QMessageBox::Cancel, &question));
    EXPECT_FALSE(form().close());
    ASSERT_TRUE(close.wait());
    EXPECT_TRUE(question.startsWith("Do you wish to save"));
}

} // namespace
