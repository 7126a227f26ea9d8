// The CSV of a batch, in the tables perne-stats writes (summary, histogram, every run), with
// a byte-order mark and CRLF line ends so that Japanese Excel opens it as UTF-8; and saving
// files from the page.
'use strict';

const PerneResults = (() => {
    // As perne-stats writes a number: the fewest significant digits that read back as the
    // same double, in C's %g form; a missing value is an empty cell.
    function numberText(v) {
        if (v === null || v === undefined) return '';
        if (v === 0) return '0';
        const [mantissa, exponentText] = v.toExponential().split('e');
        const exponent = Number(exponentText);
        let digits = mantissa.replace(/[-.]/g, '').length;
        if (Math.abs(v) >= 1 && Math.abs(v) < 1e17) digits = Math.max(digits, exponent + 1);
        if (exponent >= -4 && exponent < digits) return v.toFixed(Math.max(0, digits - 1 - exponent));
        const e = Math.abs(exponent);
        return `${mantissa}e${exponent < 0 ? '-' : '+'}${e < 10 ? '0' : ''}${e}`;
    }

    // Seconds at the end of a 0.2 s timer period, exactly: 0, 0.2, ..., 180.2.
    const periodSeconds = (period) => `${Math.floor(period / 5)}${period % 5 ? '.' + (period % 5) * 2 : ''}`;

    const MODE_KEYS = ['both', 'dog'];

    // batch: {start: {momotaro: [x, y], dog: [x, y]}, seed, ticksPerTimer,
    //         modes: [{exact, summary, meetings: [], firstPeriods: []}, both then dog]}
    function csvOf(batch) {
        const rows = [
            'mode,momotaro_x,momotaro_y,dog_x,dog_y,ticks_per_timer,exact_mean,exact_p_meet,' +
            'exact_first_meeting_s,exact_moves,exact_meetings_per_100_moves,runs,mean,sd,' +
            'ci95_low,ci95_high,min,max,seed',
        ];
        batch.modes.forEach((m, i) => {
            const e = m.exact, s = m.summary;
            rows.push([
                MODE_KEYS[i], ...batch.start.momotaro, ...batch.start.dog, batch.ticksPerTimer,
                numberText(e.meanMeetings), numberText(e.meetingProbability),
                numberText(e.firstMeetingSeconds), numberText(e.meanMoves),
                numberText(e.meetingsPer100Moves), s.runs,
                numberText(s.mean), numberText(s.sd), numberText(s.ciLow), numberText(s.ciHigh),
                s.min, s.max, batch.seed,
            ].join(','));
        });
        rows.push('', 'mode,meetings,runs');
        batch.modes.forEach((m, i) =>
            m.summary.histogram.forEach((count, k) => rows.push(`${MODE_KEYS[i]},${k},${count}`)));
        rows.push('', 'mode,run,meetings,first_meeting_s');
        batch.modes.forEach((m, i) => {
            for (let r = 0; r < m.meetings.length; r++) {
                const p = m.firstPeriods[r];
                rows.push(`${MODE_KEYS[i]},${r + 1},${m.meetings[r]},${p > 0 ? periodSeconds(p) : ''}`);
            }
        });
        return '\uFEFF' + rows.join('\r\n') + '\r\n';
    }

    function save(blob, name) {
        const link = document.createElement('a');
        link.href = URL.createObjectURL(blob);
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }

    return { numberText, periodSeconds, csvOf, save };
})();
