#ifndef FACECONTROLLER_H
#define FACECONTROLLER_H

#include "serve/api/ApiReply.h"

class ApiRequest;
class ApiServer;
class BoardControl;

// GET /api/boards/N/face.png: the board's face as VaroBoard draws it, one
// pixel per LED, grey level = intensity. With text, mode and brightness in
// the query it draws that item instead (a preview, checked as a message is);
// with first=I it draws the text from character I on, laid out from the left
// in a strip of stripCells cells, so that a client can slide a crawl along
// without asking again at every step. The headers say how it moves:
// X-Face-Step-Ms (0: it stands still), X-Face-Elapsed-Ms (since the frame
// that put it there) and X-Face-Length (characters of the text).
// GET /api/glyphs: the same glyphs and the renderer's measures (cell pitch,
// crawl steps, intensity of each brightness), once, so that a client draws
// the faces as the renderer does without a copy of the character set.
class FaceController
{
public:
    // The service does not know how wide a board is: VaroBoard's display.
    static constexpr int columns = 20;
    static constexpr int stripCells = 256;

    explicit FaceController(const BoardControl &control)
        : m_control(control)
    { }
    void addRoutes(ApiServer &server);

private:
    ApiReply face(const ApiRequest &request) const;
    static ApiReply glyphs();

    const BoardControl &m_control;
};

#endif
