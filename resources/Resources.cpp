// The resource library holds only data (see the forms/, images/ and cursors/ folders).
