// Creates the program's dialogs after the main window, in the start-up
// order TForm2, TForm9, TForm10, TForm3, TForm4, TForm5, TForm6, TForm7.
// Each is a child window of the main window found by its objectName; a
// dialog that is not built yet is an empty window of that name.
#pragma once

namespace sorae {

class MainWindow;

void createProgramForms(MainWindow& mainWindow);

}  // namespace sorae
