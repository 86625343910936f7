"""A short tour of tarvik: a position from FEN, its pieces and moves, a game played from SAN to
its end and taken back again, and a draw by repetition."""

import tarvik

# A miniature that ends in mate: the last move is Qxf7#.
GAME = ["e4", "e5", "Bc4", "Nc6", "Qh5", "Nf6", "Qxf7#"]
KNIGHT_SHUFFLE = ["Nf3", "Nf6", "Ng1", "Ng8"]


def squares(bitboard: int) -> str:
    return " ".join(tarvik.square_name(s) for s in range(64) if bitboard >> s & 1)


def uci_list(moves: list[tarvik.Move]) -> str:
    return " ".join(move.uci() for move in moves)


def show_position() -> None:
    fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
    board = tarvik.Board(fen)
    print(f"Position from FEN: {fen}")
    print(board)
    print(f"White to move: {board.turn}")
    print(f"White pieces:  {squares(board.get_pieces('w'))}")
    print(f"Knights:       {squares(board.get_pieces('n'))}")
    print(f"Castling:      {' '.join(board.san(move) for move in board._castling_moves())}")
    legal = board.legal_moves()
    print(f"{len(legal)} legal moves: {' '.join(board.san(move) for move in legal)}")
    print(f"Leaf paths 3 plies deep: {board.perft(3)}")
    print()


def play_game() -> None:
    board = tarvik.Board()
    print("A game from the starting position, written in SAN:")
    for number, san in enumerate(GAME):
        move = board.push_san(san)
        side = "White" if number % 2 == 0 else "Black"
        print(f"  {side:5} plays {san:6} ({move.uci()})")
    print(board)
    print(f"FEN:          {board.to_fen()}")
    print(f"Polyglot key: {board.zobrist_hash():#018x}")
    legal = board.legal_moves()
    print(f"Check: {board.is_check()}, legal replies: {len(legal)}, checkmate: {board.is_checkmate()}, "
          f"stalemate: {board.is_stalemate()}, game over: {board.is_game_over()}")
    taken_back = [board.pop() for _ in GAME]
    print(f"Taken back: {uci_list(taken_back)}")
    print(f"Back at the start: {board.to_fen() == tarvik.Board().to_fen()}, {len(board.legal_moves())} legal moves")
    print()


def repeat_position() -> None:
    board = tarvik.Board()
    print("Knights out and back, twice:")
    for san in KNIGHT_SHUFFLE * 2:
        board.push_san(san)
        print(f"  {san:4} the position has occurred three times: {board.is_repetition()}")
    print(f"Fivefold: {board.is_fivefold_repetition()}, fifty moves: {board.is_fifty_moves()}, "
          f"insufficient material: {board.is_insufficient_material()}")


if __name__ == "__main__":
    tarvik.hello_world()
    show_position()
    play_game()
    repeat_position()
