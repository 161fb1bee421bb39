#pragma once
// The base line drawings the named symbols are made of, each on a 24 × 24
// canvas with the painter's pen and brush set to the symbol colour. Variants
// (in a circle, filled, with a badge) are composed from these by the symbol
// table.

class QPainter;

namespace ostreldesignkit::glyphs {

// Marks and signs, drawn to fill the canvas; the composed variants shrink them.
void xmark(QPainter& painter);
void checkmark(QPainter& painter);
void minus(QPainter& painter);
void plus(QPainter& painter);
void exclamationmark(QPainter& painter);
void questionmark(QPainter& painter);
void pause(QPainter& painter);
void arrowRight(QPainter& painter);
void eye(QPainter& painter);
void magnifyingglass(QPainter& painter);

// Arrows and motion.
void arrowUpAndDown(QPainter& painter);
void expandArrows(QPainter& painter);
void circularArrows(QPainter& painter);
void clockArrow(QPainter& painter);

// Objects.
void gearshape(QPainter& painter);
void gearWithArrows(QPainter& painter);
void sidebarLeading(QPainter& painter);
void clipboard(QPainter& painter);
void docOnClipboard(QPainter& painter);
void docText(QPainter& painter);
void docRichtext(QPainter& painter);
void noteText(QPainter& painter);
void keyboard(QPainter& painter);
void wandAndStars(QPainter& painter);
void textBookClosed(QPainter& painter);
void characterBookClosed(QPainter& painter);
void scroll(QPainter& painter);
void waveformPathEcg(QPainter& painter);
void trash(QPainter& painter);
void eyeSlash(QPainter& painter);
void star(QPainter& painter);
void pencil(QPainter& painter);
void film(QPainter& painter);
void app(QPainter& painter);
void circle(QPainter& painter);
void largecircleFillCircle(QPainter& painter);
void circleDotted(QPainter& painter);
void circleLefthalfFilled(QPainter& painter);
void envelope(QPainter& painter);
void bubbleLeft(QPainter& painter);
void textBubble(QPainter& painter);
void megaphone(QPainter& painter);
void codeBrackets(QPainter& painter);
void handRaised(QPainter& painter);
void handTap(QPainter& painter);
void lockShield(QPainter& painter);
void cpu(QPainter& painter);
void globe(QPainter& painter);
void antennaRadiowaves(QPainter& painter);
void speakerWave(QPainter& painter);
void speakerMinus(QPainter& painter);
void sliders(QPainter& painter);
void textformatSize(QPainter& painter);
void textLines(QPainter& painter);
void textformat(QPainter& painter);
void brainHeadProfile(QPainter& painter);
void quoteOpening(QPainter& painter);
void paragraphsign(QPainter& painter);
void paintpalette(QPainter& painter);
void timer(QPainter& painter);
void menubarRectangle(QPainter& painter);
void dockRectangle(QPainter& painter);
void rectangleInsetFilled(QPainter& painter);
void capslock(QPainter& painter);
void command(QPainter& painter);
void seal(QPainter& painter);
void triangle(QPainter& painter);

} // namespace ostreldesignkit::glyphs
