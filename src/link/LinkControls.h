#pragma once

class QAction;
class QLabel;
class QMainWindow;
class QTimer;
class TerminalPane;

// The main window's controls that show the state of the link.
struct LinkControls {
    QMainWindow* window = nullptr;
    TerminalPane* txtTerm = nullptr;
    QAction* connectButton = nullptr;    // toolbar "Connect"
    QAction* disconnectButton = nullptr; // toolbar "Disconnect"
    QAction* loginButton = nullptr;      // toolbar "Login"
    QAction* logoutButton = nullptr;     // toolbar "Logout"
    QAction* transmitButton = nullptr;   // toolbar "TransmitTextFile"
    QAction* openLogButton = nullptr;    // toolbar "OpenLogFile"
    QAction* closeLogButton = nullptr;   // toolbar "CloseLogFile"
    QAction* mnuOpen = nullptr;
    QAction* mnuOpenLog = nullptr;
    QAction* mnuCloseLog = nullptr;
    QAction* mnuSendText = nullptr;
    QAction* mnuAccessCode = nullptr;
    QAction* mnuEncryptCode = nullptr;
    QAction* mnuSetupMode = nullptr;
    QAction* mnuConfigRestore = nullptr;
    QAction* mnuRadioPassSub = nullptr;
    QAction* mnuSetPass = nullptr;
    QLabel* imgConnected = nullptr;
    QLabel* imgNotConnected = nullptr;
    QLabel* statusPanel = nullptr;      // "Status"
    QLabel* settingsPanel = nullptr;    // "Settings"
    QLabel* connectTimePanel = nullptr; // "ConnectTime"
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
};
