// The main window as the whole process reaches it: the port-mapping actions
// write their progress into its status line.
#pragma once

class AppUi;

// Owned by main_ui.cpp; nullptr until the start-up sets it.
extern AppUi* glb_MainUi;

// Makes ui the main window and routes the router's progress texts to its
// status line.
void SetMainUi(AppUi* ui);

// Forgets the main window and removes the progress route.
void ResetMainUiForTests();
