#pragma once

// What the command-line tool's exit status says; the man page and --help list the same.
enum ExitCode {
    Done = 0,
    FilesDiffer = 1,
    Usage = 2,
    NoRadio = 3,
    NotAnswering = 4,
    NotLoggedIn = 5,
    SettingsRefused = 6,
    FileProblem = 7,
    FirmwareRejected = 8,
    TransferFailed = 9,
    Declined = 10,
    OutputFailed = 11,
    Interrupted = 130,
};
