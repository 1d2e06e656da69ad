// The shipped languages: every message of every resources/translations/*.ts
// is translated (nothing unfinished, empty, vanished or obsolete, placeholders
// kept), and every file holds exactly the texts of the code, as
// tools/update-translations.sh collects them with lupdate.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message
{
    QString context;
    QString source;
    QString type;         // the translation's type attribute
    QStringList forms;    // the translation, or its plural forms
};

// Set by CTest.
QString sourceDir()
{
    return qEnvironmentVariable("FROSTPANEL_SOURCE_DIR");
}

QStringList shippedFiles()
{
    return QDir(sourceDir() + "/resources/translations").entryList({"*.ts"}, QDir::Files, QDir::Name);
}

// The messages of a .ts file; false (and the reason) when it is not one.
bool readTs(const QString &path, QList<Message> &out, QString &error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = "cannot open " + path;
        return false;
    }
    QXmlStreamReader xml(&f);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const QStringRef tag = xml.name();
        if (tag == QLatin1String("context")) {
            context.clear();
        } else if (tag == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (tag == QLatin1String("message")) {
            m = Message{context, {}, {}, {}};
        } else if (tag == QLatin1String("source")) {
            m.source = xml.readElementText();
        } else if (tag == QLatin1String("translation")) {
            m.type = xml.attributes().value("type").toString();
            bool plural = false;
            QString text;
            while (!(xml.isEndElement() && xml.name() == QLatin1String("translation")) && !xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == QLatin1String("numerusform")) {
                    plural = true;
                    m.forms << xml.readElementText();
                } else if (xml.isCharacters()) {
                    text += xml.text();
                }
            }
            if (!plural)
                m.forms << text;
            out << m;
        }
    }
    if (xml.hasError()) {
        error = path + ": " + xml.errorString();
        return false;
    }
    return true;
}

QStringList placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%(L?\\d+|n)"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    return found;
}

QString where(const Message &m)
{
    return m.context + ": \"" + m.source + "\"";
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY2(!sourceDir().isEmpty(), "FROSTPANEL_SOURCE_DIR is not set"); }

    void everyMessageTranslated_data()
    {
        QTest::addColumn<QString>("file");
        QVERIFY2(!shippedFiles().isEmpty(), "no resources/translations/*.ts");
        for (const QString &f : shippedFiles())
            QTest::newRow(qPrintable(f)) << f;
    }
    void everyMessageTranslated()
    {
        QFETCH(QString, file);
        QList<Message> messages;
        QString error;
        QVERIFY2(readTs(sourceDir() + "/resources/translations/" + file, messages, error), qPrintable(error));
        QVERIFY(!messages.isEmpty());
        QStringList faults;
        for (const Message &m : messages) {
            if (!m.type.isEmpty())
                faults << where(m) + " is " + m.type;
            for (const QString &form : m.forms) {
                if (form.trimmed().isEmpty())
                    faults << where(m) + " has no translation";
                else if (placeholders(form) != placeholders(m.source))
                    faults << where(m) + " loses or adds a placeholder: \"" + form + "\"";
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    }

    // Updating every file from the code (into copies) must change nothing:
    // a text the code shows that a file lacks would come in unfinished, a
    // text the code no longer has would be dropped.
    void everyFileHoldsExactlyTheCodesTexts()
    {
        const bool haveLupdate = !QStandardPaths::findExecutable("lupdate").isEmpty()
                                 || QFile::exists("/usr/lib/qt5/bin/lupdate");
        if (!haveLupdate)
            QSKIP("lupdate is not installed (qttools5-dev-tools)");
        QTemporaryDir out;
        QVERIFY(out.isValid());
        QProcess update;
        update.setProcessChannelMode(QProcess::MergedChannels);
        update.start("bash", {sourceDir() + "/tools/update-translations.sh", out.path()});
        QVERIFY(update.waitForFinished(120000));
        QVERIFY2(update.exitStatus() == QProcess::NormalExit && update.exitCode() == 0, update.readAll().constData());
        for (const QString &file : shippedFiles()) {
            QList<Message> shipped, updated;
            QString error;
            QVERIFY2(readTs(sourceDir() + "/resources/translations/" + file, shipped, error), qPrintable(error));
            QVERIFY2(readTs(out.filePath(file), updated, error), qPrintable(error));
            QStringList missing, stale;
            for (const Message &m : updated)
                if (m.type == QLatin1String("unfinished"))
                    missing << where(m);
            QSet<QString> kept;
            for (const Message &m : updated)
                kept << m.context + '\n' + m.source;
            for (const Message &m : shipped)
                if (!kept.contains(m.context + '\n' + m.source))
                    stale << where(m);
            QVERIFY2(missing.isEmpty(), qPrintable(file + " lacks:\n" + missing.join('\n')));
            QVERIFY2(stale.isEmpty(), qPrintable(file + " holds texts the code no longer has:\n" + stale.join('\n')));
        }
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
