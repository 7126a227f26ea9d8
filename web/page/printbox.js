// A white picture box that texts are printed into, line by line. It keeps its font size,
// text colour and print position; each printed line moves the position down by one line of
// the current font, and one line is one em (a 12-point line is 16 pixels).
'use strict';

const PernePrintBox = (() => {
  class PrintBox {
    constructor(element, initialPoints) {
      this.element = element;
      this.points = initialPoints;
      this.colour = '#000000';
      this.printY = 0;
    }

    clear() {
      this.element.replaceChildren();
      this.printY = 0;
    }

    // Prints one whole line; without text, an empty line that only moves the position down.
    print(text = '') {
      const pixels = (this.points * 4) / 3;
      if (text) {
        const line = document.createElement('div');
        line.textContent = text;
        line.style.top = `${this.printY}px`;
        line.style.fontSize = `${this.points}pt`;
        line.style.color = this.colour;
        this.element.append(line);
      }
      this.printY += pixels;
    }

    setFontSize(points) {
      this.points = points;
    }
    setForeColour(colour) {
      this.colour = colour;
    }
  }

  return { PrintBox };
})();
