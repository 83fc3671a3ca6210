#include "listener.h"

#include "front.h"

namespace kolvar::server {

Listener::Listener(Front *front) : QTcpServer(front), m_front(front) {}

void Listener::incomingConnection(qintptr descriptor)
{
    m_front->accept(descriptor);
}

} // namespace kolvar::server
