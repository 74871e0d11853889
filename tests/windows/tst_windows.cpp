// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What only Windows has: the folder walk through a tree whose entries carry the file
// system's attributes, the settings store in the registry, and the recycle bin.

#include "Controls.h"
#include "FakeSeams.h"
#include "TestSandbox.h"
#include "TestTrees.h"

#include "catalogue/DirScanner.h"
#include "chrome/frmVivrel.h"
#include "common/Files.h"
#include "config/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <windows.h>

namespace {

bool setAttributes(const QString &path, DWORD attributes)
{
    return ::SetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str(), attributes);
}

DWORD attributesOf(const QString &path)
{
    return ::GetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str());
}

bool underWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

/** Every picture the walk lists under `root`, as full native paths in walk order. */
QStringList walk(const QString &root, Result<> *result = nullptr)
{
    QStringList found;
    DirScanner scanner(FileTypeCode::All, [&](const QString &folder, const QStringList &names) {
        for (const QString &name : names)
            found << folder + name;
    });
    const Result<> done = scanner.scan(root);
    if (result)
        *result = done;
    return found;
}

/** The registry value `name` under the store's group "Settings", read past QSettings. */
QString registryValue(const QString &name, DWORD *type)
{
    const std::wstring key = (QStringLiteral("Software\\Tremallo\\") + SettingsStore::storeName() +
                              QStringLiteral("\\Settings"))
                                 .toStdWString();
    const std::wstring value = name.toStdWString();
    wchar_t data[512] = {};
    DWORD size = sizeof data;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_ANY, type, data,
                       &size) != ERROR_SUCCESS)
        return QStringLiteral("<absent>");
    return QString::fromWCharArray(data);
}

} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private slots:
    void walkFollowsTheAttributes_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<uint>("attributes");
        QTest::addColumn<bool>("listed");
        QTest::newRow("plain file") << "plain.jpg" << false << uint(FILE_ATTRIBUTE_NORMAL) << true;
        QTest::newRow("archive file")
            << "archived.jpg" << false << uint(FILE_ATTRIBUTE_ARCHIVE) << true;
        QTest::newRow("read-only file")
            << "readonly.jpg" << false << uint(FILE_ATTRIBUTE_READONLY) << true;
        QTest::newRow("hidden file")
            << "hidden.jpg" << false << uint(FILE_ATTRIBUTE_HIDDEN) << false;
        QTest::newRow("system file")
            << "system.jpg" << false << uint(FILE_ATTRIBUTE_SYSTEM) << false;
        // A leading dot hides nothing on Windows.
        QTest::newRow("dot name") << ".dotted.jpg" << false << uint(FILE_ATTRIBUTE_NORMAL) << true;
        QTest::newRow("plain folder") << "folder" << true << uint(FILE_ATTRIBUTE_DIRECTORY) << true;
        QTest::newRow("hidden folder")
            << "hiddenfolder" << true << uint(FILE_ATTRIBUTE_HIDDEN) << false;
        QTest::newRow("system folder")
            << "systemfolder" << true << uint(FILE_ATTRIBUTE_SYSTEM) << false;
        // Entered only when its attributes are exactly those of a folder.
        QTest::newRow("read-only folder")
            << "readonlyfolder" << true << uint(FILE_ATTRIBUTE_READONLY) << false;
    }

    void walkFollowsTheAttributes()
    {
        QFETCH(QString, entry);
        QFETCH(bool, isFolder);
        QFETCH(uint, attributes);
        QFETCH(bool, listed);
        QTemporaryDir dir;
        const QString root = QDir::toNativeSeparators(dir.path());
        TestTrees::touch(dir.path(), {QStringLiteral("always.jpg")});
        const QString picture = isFolder ? entry + QStringLiteral("/inside.jpg") : entry;
        TestTrees::touch(dir.path(), {picture});
        QVERIFY(setAttributes(dir.filePath(entry), attributes));
        const DWORD kept = attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes;
        if ((attributesOf(dir.filePath(entry)) & kept) != kept && underWine() && isFolder)
            QSKIP("Wine keeps no read-only attribute on a folder");
        QVERIFY2((attributesOf(dir.filePath(entry)) & kept) == kept,
                 "the file system did not keep the attribute");

        QStringList expected{root + QStringLiteral("\\always.jpg")};
        if (listed)
            expected << root + u'\\' + QDir::toNativeSeparators(picture);
        std::sort(expected.begin(), expected.end());
        QStringList found = walk(dir.path());
        std::sort(found.begin(), found.end());
        QCOMPARE(found, expected);
        setAttributes(dir.filePath(entry),
                      isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
    }

    void oneSpellingWhateverTheSeparators()
    {
        QTemporaryDir dir;
        TestTrees::touch(dir.path(), {QStringLiteral("a.jpg"), QStringLiteral("sub/b.jpg")});
        const QString native = QDir::toNativeSeparators(dir.path());
        const QStringList expected{native + QStringLiteral("\\a.jpg"),
                                   native + QStringLiteral("\\sub\\b.jpg")};
        QCOMPARE(walk(dir.path()), expected);
        QCOMPARE(walk(native), expected);
        QCOMPARE(walk(dir.path() + u'/'), expected);
        QCOMPARE(walk(native + u'\\'), expected);
    }

    void driveNotReady()
    {
        // An ordinary folder that is not there lists nothing, quietly; a drive that is
        // not there fails, and the folder button says so.
        Result<> result;
        QVERIFY(walk(QStringLiteral("C:\\no\\such\\folder"), &result).isEmpty());
        QVERIFY(result.ok());
        QString drive;
        for (char letter = 'Q'; letter <= 'Y' && drive.isEmpty(); ++letter) {
            const QString root = QString(QLatin1Char(letter)) + QStringLiteral(":\\");
            if (::GetDriveTypeW(root.toStdWString().c_str()) == DRIVE_NO_ROOT_DIR)
                drive = root;
        }
        if (drive.isEmpty())
            QSKIP("every drive letter from Q to Y is in use");
        QVERIFY(walk(drive, &result).isEmpty());
        QVERIFY(!result.ok());

        FakeSeams fake;
        frmVivrel w;
        TestTrees::fillFileTypes(MainControls(w).cmbFileType);
        fake.folderAnswers.push_back(drive);
        MainControls(w).cmdDirList->click();
        QCOMPARE(fake.messages.size(), 1);
        QCOMPARE(fake.messages[0].text, QStringLiteral("Drive Not Ready..."));
    }

    void storeRoundTrip_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("number") << "mInterval"
                                << "2.5";
        QTest::newRow("folder") << "mPath"
                                << "C:\\Pictures\\Holiday 2024";
        QTest::newRow("comma") << "mPath"
                               << "C:\\a, b";
        QTest::newRow("single space") << "mPath"
                                      << " ";
        QTest::newRow("empty") << "mBgd"
                               << "";
        QTest::newRow("not ASCII") << "mPath"
                                   << "C:\\Bilder\\Grüße ünd 写真";
    }

    void storeRoundTrip()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        TestSandbox::useSettingsStore(QString());
        QVERIFY(SettingsStore::SaveSetting(key, value).ok());
        QCOMPARE(SettingsStore::GetSetting(key), value);
        // In the registry under the store's key, group "Settings", as a string.
        DWORD type = 0;
        QCOMPARE(registryValue(key, &type), value);
        QCOMPARE(type, DWORD(REG_SZ));
        QVERIFY(SettingsStore::open()->fileName().endsWith(QStringLiteral("\\Tremallo\\") +
                                                           SettingsStore::storeName()));
        QCOMPARE(SettingsStore::GetSetting(QStringLiteral("absent")), QString());
    }

    void deletedFileGoesToTheRecycleBin()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("gone.jpg"));
        TestTrees::writeFile(dir.path(), QStringLiteral("gone.jpg"), "picture bytes");
        QVERIFY(Files::moveToTrash(file).ok());
        QVERIFY(!QFile::exists(file));
        // Under Wine the recycle bin is the Unix desktop's trash, which CTest points
        // into the build tree.
        const QString wineTrash = qEnvironmentVariable("VIVREL_WINE_TRASH");
        if (!wineTrash.isEmpty())
            QVERIFY(QFile::exists(wineTrash + QStringLiteral("/files/gone.jpg")));
        QVERIFY(Files::moveToTrash(file).error() == Error::FileNotFound);
    }
};

VIVREL_TEST_MAIN(TestWindows)
#include "tst_windows.moc"
