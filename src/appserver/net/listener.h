#pragma once

#include <QTcpServer>

namespace kolvar::server {

class Front;

// Takes the descriptors of accepted connections and passes them on without
// creating a socket object in the accepting thread.
class Listener : public QTcpServer
{
    Q_OBJECT
public:
    explicit Listener(Front *front);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    Front *m_front;
};

} // namespace kolvar::server
