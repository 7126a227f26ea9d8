// Saving files from the page (the batch's CSV itself is written by the stats core).
'use strict';

const PerneResults = (() => {
  function save(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }

  return { save };
})();
