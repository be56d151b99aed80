// One instance at a time: a second start ends at once with status 0 and
// leaves the first alone; a lock left by a crashed instance is taken over.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestSingleInstance : public QObject
{
    Q_OBJECT
    QTemporaryDir runtime, config;

    QProcess *Start()
    {
        auto *p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(TW_PROGRAM), {});
        return p;
    }
    QString Lock() const { return runtime.path() + QStringLiteral("/TOVRAK_WBD_ORVEN.lock"); }
    // The lock file names the process holding it on its first line.
    bool HeldBy(const QProcess *p) const
    {
        QFile f(Lock());
        return f.open(QIODevice::ReadOnly) && f.readLine().trimmed() == QByteArray::number(p->processId());
    }

private slots:
    void secondStartEndsQuietly()
    {
        QProcess *first = Start();
        QVERIFY(first->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(HeldBy(first), 10000);
        QCOMPARE(first->state(), QProcess::Running);

        QProcess *second = Start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        // The first one crashes and leaves its lock behind.
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        QVERIFY(QFile::exists(Lock()));
        QProcess *third = Start();
        QVERIFY(third->waitForStarted());
        // It takes the lock over and goes on.
        QTRY_VERIFY_WITH_TIMEOUT(HeldBy(third), 10000);
        QCOMPARE(third->state(), QProcess::Running);
        third->kill();
        third->waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
