#pragma once

#include <QString>

class QApplication;

namespace kolvar {

// The application-wide look "Sapphire Kamri": a style sheet kept as a resource.
QString sapphireKamriStyleSheet();
void applySapphireKamri(QApplication &app);

} // namespace kolvar
