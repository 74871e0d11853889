// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

/**
 * A tiny HTTP server on 127.0.0.1 that answers each path from a script, including the
 * ways a real server goes wrong: silence, trickling, lying about the length, and more.
 * It runs on the test's thread; it answers whenever the event loop runs. A deaf server
 * takes every connection and then neither reads nor answers, as a host does whose
 * server is stuck.
 */
class ScriptedHttpServer
{
public:
    enum class Kind {
        Ok,         ///< status 200 (or `status`), the body with its length
        Silent,     ///< reads the request and never answers
        Trickle,    ///< announces the body, then sends one byte at a time, slowly
        Truncated,  ///< announces twice the body's length, sends the body, hangs up
        Undeclared, ///< no length: sends the body and hangs up
        Redirect,   ///< 302 to `location`
        Gzip,       ///< the body, marked as gzip-encoded
    };
    struct Reply
    {
        Kind kind = Kind::Ok;
        QByteArray body;
        int status = 200;
        QByteArray location;
    };

    ScriptedHttpServer()
    {
        QObject::connect(&mServer, &QTcpServer::newConnection, &mServer, [this] {
            while (QTcpSocket *socket = mServer.nextPendingConnection()) {
                ++connections;
                if (!deaf)
                    serve(socket);
            }
        });
    }

    bool start() { return mServer.listen(QHostAddress::LocalHost, 0); }

    QString url(const char *path = "") const
    {
        return QStringLiteral("http://127.0.0.1:%1%2")
            .arg(mServer.serverPort())
            .arg(QLatin1String(path));
    }

    void set(const QByteArray &path, Reply reply) { mScript.insert(path, reply); }

    /** Takes connections without reading a byte of them. */
    bool deaf = false;
    /** Connections taken so far. */
    int connections = 0;
    /** Paths requested, in order. */
    QList<QByteArray> paths;
    /** The Accept-Encoding header of each request. */
    QList<QByteArray> acceptEncodings;

private:
    static QByteArray head(int status, const QByteArray &extra)
    {
        return "HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\nConnection: close\r\n" +
               extra + "\r\n";
    }

    void serve(QTcpSocket *socket)
    {
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
            if (received->contains("\r\n\r\n"))
                return; // already answered
            *received += socket->readAll();
            if (received->contains("\r\n\r\n"))
                answer(socket, *received);
        });
    }

    void answer(QTcpSocket *socket, const QByteArray &request)
    {
        const QList<QByteArray> lines = request.split('\n');
        const QByteArray path = lines.value(0).split(' ').value(1);
        paths.append(path);
        QByteArray encoding;
        for (const QByteArray &line : lines) {
            if (line.toLower().startsWith("accept-encoding:"))
                encoding = line.mid(16).trimmed();
        }
        acceptEncodings.append(encoding);

        const Reply reply = mScript.value(path, Reply{Kind::Ok, "not here", 404, {}});
        const QByteArray length =
            "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
        switch (reply.kind) {
        case Kind::Ok:
            socket->write(head(reply.status, length) + reply.body);
            socket->disconnectFromHost();
            break;
        case Kind::Silent:
            break;
        case Kind::Trickle: {
            socket->write(head(200, length));
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            QObject::connect(timer, &QTimer::timeout, socket, [socket, reply, sent] {
                if (*sent < reply.body.size())
                    socket->write(reply.body.mid((*sent)++, 1));
            });
            timer->start(20);
            break;
        }
        case Kind::Truncated:
            socket->write(
                head(200, "Content-Length: " + QByteArray::number(2 * reply.body.size()) + "\r\n") +
                reply.body);
            socket->disconnectFromHost();
            break;
        case Kind::Undeclared:
            socket->write(head(200, QByteArray()) + reply.body);
            socket->disconnectFromHost();
            break;
        case Kind::Redirect:
            socket->write(head(302, "Location: " + reply.location + "\r\nContent-Length: 0\r\n"));
            socket->disconnectFromHost();
            break;
        case Kind::Gzip:
            socket->write(head(200, length + "Content-Encoding: gzip\r\n") + reply.body);
            socket->disconnectFromHost();
            break;
        }
    }

    QTcpServer mServer;
    QHash<QByteArray, Reply> mScript;
};
