// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP server on 127.0.0.1 for the link checks, answering by hand so that every case
// a real server shows can be had on purpose: success, redirects, errors, a refused HEAD, a
// page too large to download, a body or headers that never end, and no answer at all. Tests
// never reach the internet.
#pragma once

#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

class LocalHttpServer final : public QTcpServer
{
public:
    LocalHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
        listen(QHostAddress::LocalHost);
    }

    QByteArray url(const QByteArray &path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(serverPort()) + path;
    }

    QStringList requests;     // "METHOD /path", in the order they came
    int open = 0;             // connections open now
    int mostOpen = 0;         // the most that were open at once
    qint64 bodyBytesSent = 0; // taken by the client's socket, give or take what waits in ours
    // The test's own answers, looked at first: a path's content type and body.
    QHash<QByteArray, std::pair<QByteArray, QByteArray>> pages;
    bool silent = false; // accepts every request and never answers it

private:
    void onNewConnection()
    {
        while (QTcpSocket *socket = nextPendingConnection()) {
            mostOpen = std::max(mostOpen, ++open);
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                --open;
                socket->deleteLater();
            });
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        }
    }

    void onReadyRead(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        buffer.remove(0, end + 4);
        if (requestLine.size() < 2)
            return;
        const QByteArray method = requestLine[0];
        const QByteArray path = requestLine[1];
        requests.append(QString::fromLatin1(method + ' ' + path));
        answer(socket, method, path);
    }

    void answer(QTcpSocket *socket, const QByteArray &method, const QByteArray &path)
    {
        if (silent)
            return;
        if (const auto page = pages.constFind(path); page != pages.constEnd())
            return reply(socket, method, "200 OK", "Content-Type: " + page->first + "\r\n", page->second);
        if (path == "/ok")
            return reply(socket, method, "200 OK", {}, "<html>fine</html>");
        if (path == "/moved")
            return reply(socket, method, "301 Moved Permanently", "Location: /ok\r\n", {});
        if (path == "/moved-twice")
            return reply(socket, method, "302 Found", "Location: /moved\r\n", {});
        if (path == "/to-file")
            return reply(socket, method, "302 Found", "Location: file:///etc/passwd\r\n", {});
        if (path == "/loop")
            return reply(socket, method, "302 Found", "Location: /loop\r\n", {});
        if (path == "/missing")
            return reply(socket, method, "404 Not Found", {}, "no such page");
        if (path == "/gone")
            return reply(socket, method, "410 Gone", {}, "gone for good");
        if (path == "/head-404")
            return reply(socket, method, method == "HEAD" ? "404 Not Found" : "200 OK", {}, "here");
        if (path == "/error")
            return reply(socket, method, "500 Internal Server Error", {}, "oops");
        if (path == "/no-head" && method == "HEAD")
            return reply(socket, method, "405 Method Not Allowed", "Allow: GET\r\n", {});
        if (path == "/no-head" || path == "/huge") {
            // Announces far more than it sends, and keeps the connection: a check that waited
            // for the body would never end.
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000000\r\n\r\n");
            if (method == "GET") {
                socket->write(QByteArray(4096, 'x'));
                bodyBytesSent += 4096;
            }
            return;
        }
        if (path.startsWith("/endless-") && method == "HEAD")
            return reply(socket, method, "405 Method Not Allowed", "Allow: GET\r\n", {});
        if (path == "/endless-body") {
            socket->write("HTTP/1.1 200 OK\r\n");
            return sendEndlessBody(socket);
        }
        if (path == "/endless-redirect") {
            socket->write("HTTP/1.1 302 Found\r\nLocation: /ok\r\n");
            return sendEndlessBody(socket);
        }
        if (path == "/endless-headers") {
            // A header line every 50 ms and never the blank line: data keeps moving, so a
            // timeout that waits for silence never comes.
            socket->write("HTTP/1.1 200 OK\r\n");
            auto *trickle = new QTimer(socket);
            connect(trickle, &QTimer::timeout, socket, [socket] { socket->write("X-Filler: more\r\n"); });
            trickle->start(50);
            return;
        }
        if (path == "/head-gone" && method == "HEAD")
            return socket->abort(); // a server that drops HEAD requests on the floor
        if (path == "/head-gone")
            return reply(socket, method, "200 OK", {}, "here");
        if (path == "/slow") {
            QTimer::singleShot(100, socket, [=, this] { reply(socket, method, "200 OK", {}, "late"); });
            return;
        }
        if (path == "/silent")
            return; // accepted, never answered
        reply(socket, method, "404 Not Found", {}, {});
    }

    // The rest of the headers, then a body without a length or an end, written as fast as
    // the client takes it.
    void sendEndlessBody(QTcpSocket *socket)
    {
        socket->write("Content-Type: application/octet-stream\r\n\r\n");
        const auto feed = [this, socket] {
            const QByteArray chunk(64 * 1024, 'x');
            while (socket->state() == QAbstractSocket::ConnectedState &&
                   socket->bytesToWrite() < 4 * chunk.size()) {
                socket->write(chunk);
                bodyBytesSent += chunk.size();
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, feed);
        feed();
    }

    void reply(QTcpSocket *socket, const QByteArray &method, const QByteArray &status,
               const QByteArray &headers, const QByteArray &body)
    {
        socket->write("HTTP/1.1 " + status + "\r\n" + headers +
                      "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
        if (method != "HEAD") {
            socket->write(body);
            bodyBytesSent += body.size();
        }
        socket->disconnectFromHost();
    }

    QHash<QTcpSocket *, QByteArray> m_buffers;
};
