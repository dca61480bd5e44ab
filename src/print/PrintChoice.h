// Which columns a printed listing shows and whether subfolders are walked.
#pragma once

// Kept apart from the settings dialog so that the command line prints the
// same listing without any window.
struct PrintChoice {
    bool printFileName = true;
    bool printFileSize = true;
    bool printArtist = true;
    bool printTitle = true;
    bool printAlbum = true;
    bool printYear = true;
    bool printGenre = true;
    bool printComment = true;
    bool includeSubfolders = false;
};
