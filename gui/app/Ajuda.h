#pragma once
// Our help engine: shows the program's manual, an HTML text in the help file, in one help window.
#include <QString>

class QWidget;

// Commands understood by WinHelpA.
constexpr unsigned HELP_QUIT = 2;     // closes the help window
constexpr unsigned HELP_CONTENTS = 3; // shows the manual from its beginning
constexpr unsigned HELP_FINDER = 11;  // the same here: the manual has its own contents

// Opens (or brings to the front) the help window showing `arquivo`, owned by `janela` when given;
// `dados` is not used by these commands. Returns false when the file cannot be read or the
// command is unknown; never throws.
bool WinHelpA(QWidget *janela, const QString &arquivo, unsigned comando, const char *dados);

// Where the manual "Ajuda.hlp" of a program in `pasta_programa` is: beside the program (a build
// folder), else in the installed layout's ../share/zeltanet.
QString Arquivo_Ajuda(const QString &pasta_programa);
