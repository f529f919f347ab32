#pragma once

#include <QByteArray>

class PgSession;
struct pg_conn;

// One COPY ... FROM STDIN in text format: rows go to the server in large chunks and the
// statement succeeds or fails as a whole.
class PgCopyIn {
public:
    // Starts the copy; throws when the server refuses it.
    PgCopyIn(PgSession& session, const QByteArray& sql);
    // Abandons an unfinished copy, so that the connection is usable again.
    ~PgCopyIn();

    PgCopyIn(const PgCopyIn&) = delete;
    PgCopyIn& operator=(const PgCopyIn&) = delete;

    // The buffer to append rows to, in COPY's text format; sent whenever it has grown large.
    QByteArray& buffer() { return m_buffer; }
    void rowDone();
    // Sends the rest and waits for the server's verdict; throws on failure.
    void finish();

private:
    void flush();

    pg_conn* m_conn;
    QByteArray m_buffer;
    bool m_open = false;
};
