/* The bridge protocol, version 2: the one place where its bytes and numbers are written.
 * Included by the firmware (C) and by tessary's host side (C++). 115200 baud, 8N1.
 *
 *   host -> bridge   0x00-0x3F   an allophone code, queued for the chip
 *                    0xF0 N      hello, N a nonce 0x40-0x7F (never a code, never a command):
 *                                the bridge empties its queue, silences the chip, then answers
 *                                "tessary-bridge 2 ROOM N\n". A hello whose nonce does not
 *                                follow within TB_HELLO_WAIT_MS is dropped, and a byte that is
 *                                not a nonce is taken for itself.
 *                    0xF1        stop: the queue is emptied and the chip reset at once
 *   bridge -> host   'K'         a code went to the chip: room for one more in the queue
 *                    'F'         a code found the queue full and was dropped
 *                    'Q'         the chip has fallen silent and nothing is queued
 *                    'S'         stopped
 *
 * The host keeps at most ROOM codes unanswered by a 'K', so 'F' means a host broke the rule:
 * it treats one as a failure. Every other byte is ignored.
 */
#ifndef TESSARY_BRIDGE_PROTOCOL_H
#define TESSARY_BRIDGE_PROTOCOL_H

#define TB_PROTOCOL 2
#define TB_BAUD 115200UL
#define TB_ROOM 64 /* codes the bridge queues; a power of two */

#define TB_CODE_LAST 0x3F
#define TB_HELLO 0xF0
#define TB_STOP 0xF1
#define TB_NONCE_FIRST 0x40
#define TB_NONCE_LAST 0x7F
#define TB_HELLO_WAIT_MS 50

#define TB_ANSWER "tessary-bridge" /* then " VERSION ROOM NONCE\n" */
#define TB_LOADED 'K'
#define TB_FULL 'F'
#define TB_SILENT 'Q'
#define TB_STOPPED 'S'

#endif
